// DynString: the plug-in's own growable byte string.
//
// Ownership: the string owns `buf` exclusively; copies always copy the bytes.
// A buffer may also sit right after the string, in the heap block of the
// container that holds both (a list node): the string uses it like any other
// but never frees it, since the container frees the block. The address tells
// the two apart: no buffer of its own can start there, as a node holds bytes
// after its text and the allocator puts a header before every heap block.
// Encoding: plain bytes, no character set; only ASCII A-Z fold to lower case.
// Invariant: when `buf` is present, len < cap and buf[len] == '\0'.
// Growth: room for n bytes means a buffer of n + n/4 + 1 bytes (construction
// from text is the one exception: strlen + 16). A size that cannot be
// represented raises std::bad_alloc, like any failed allocation.
#pragma once

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

class DynString {
public:
    char *buf = nullptr;
    std::int32_t len = 0;
    std::int32_t cap = 0;

    constexpr DynString() noexcept = default;
    explicit DynString(const char *text);
    DynString(const DynString &other);
    // Takes the buffer, for returns; one in the other's container is copied.
    DynString(DynString &&other);
    DynString &operator=(const DynString &other) = delete;  // use Assign
    virtual ~DynString();

    // Frees the buffer; the string becomes empty with no buffer.
    void Release() noexcept;

    // Makes room for n bytes, discarding the contents; len is the caller's.
    void Reserve(std::int32_t n);
    // Makes room for n bytes, keeping the contents; 1 when it reallocated.
    int Grow(std::int32_t n);

    void Assign(const DynString &other);
    void Assign(const char *text);
    void Append(const DynString &other);
    void Append(const char *text);
    void AppendChar(char c);
    // Appends count bytes of a text that need not be NUL-terminated.
    void AppendBytes(const char *bytes, std::int32_t count);

    // Substring of a NUL-terminated source; negative start counts from its end.
    void AssignSubstring(const char *src, std::int32_t start, std::int32_t count);
    void AppendSubstring(const char *src, std::int32_t start, std::int32_t count);
    // Replaces the contents with count bytes that need not be NUL-terminated.
    void AssignBytes(const char *bytes, std::int32_t count);

    // First occurrence at or after pos (negative counts from the end), or -1.
    [[nodiscard]] std::int32_t Find(const char *pattern, std::int32_t patternLength,
                                    std::int32_t pos) const;
    [[nodiscard]] std::int32_t Find(const DynString &pattern, std::int32_t pos) const;

    // Byte access: negative counts from the end, past the end reads the last
    // byte, and position len reads the NUL. Needs a buffer.
    [[nodiscard]] char operator[](std::int32_t i) const;

    void ReplaceAll(const char *pattern, const char *replacement);
    void Erase(std::int32_t pos, std::int32_t count);
    DynString &ToLower() noexcept;
    [[nodiscard]] bool Equals(const DynString &other) const noexcept;

    // Reads a whole file; 1 on success, 0 when it cannot be read completely.
    [[nodiscard]] int ReadWholeFile(const char *path);

    // Empties the string, keeping its buffer if it has one.
    void Clear() noexcept;

    // Makes the capacity bytes that follow the string its buffer, holding
    // count bytes (fewer than capacity): for a string just made by a
    // container that allocated those bytes with it, and frees them. Inline,
    // as a load makes every entry this way.
    void UseTrailingBuffer(std::int32_t capacity, const char *bytes, std::int32_t count) noexcept {
        buf = reinterpret_cast<char *>(this + 1);
        if (count > 0) std::memcpy(buf, bytes, static_cast<std::size_t>(count));
        buf[count] = '\0';
        len = count;
        cap = capacity;
    }

private:
    [[nodiscard]] const char *Trailing() const noexcept {
        return reinterpret_cast<const char *>(this + 1);
    }
    [[nodiscard]] bool OwnsBuffer() const noexcept { return buf != Trailing(); }
    void FreeBuffer() noexcept;
};

// A to Z to lower case; every other byte, those of 128 and more included,
// stays as it is.
[[nodiscard]] constexpr char FoldAscii(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] DynString Concat(const char *text, const DynString &s);
[[nodiscard]] DynString Concat(const DynString &s, const char *text);

// Capacity for n bytes by the growth rule; throws std::bad_alloc when it does
// not fit a signed 32-bit size. Internal to the text primitives; inline, as
// a load sizes every entry by it.
[[nodiscard]] inline std::int32_t GrowthCapacity(std::int64_t n) {
    if (n < 0) n = 0;
    const std::int64_t cap = n + n / 4 + 1;
    if (cap > INT32_MAX) throw std::bad_alloc();
    return static_cast<std::int32_t>(cap);
}
