// DynString: growth, editing, searching and whole-file reading of byte strings.
#include "text/dyn_string.h"

#include <climits>
#include <cstring>
#include <functional>
#include <new>

#include "text/whole_file.h"

namespace {

// Length of a NUL-terminated text as a string size; too long is out of memory.
std::int32_t TextLength(const char *text) {
    const std::size_t n = std::strlen(text);
    if (n > static_cast<std::size_t>(INT32_MAX)) throw std::bad_alloc();
    return static_cast<std::int32_t>(n);
}

// Sum of two sizes that must still fit a signed 32-bit size.
std::int32_t SizeSum(std::int32_t a, std::int32_t b) {
    const std::int64_t n = std::int64_t{a} + b;
    if (n > INT32_MAX) throw std::bad_alloc();
    return static_cast<std::int32_t>(n);
}

bool PointsInto(const char *p, const char *begin, std::int32_t size) {
    return begin && !std::less<const char *>()(p, begin) &&
           std::less<const char *>()(p, begin + size);
}

}  // namespace

void DynString::FreeBuffer() noexcept {
    if (OwnsBuffer()) delete[] buf;
}

DynString::DynString(const char *text) {
    const std::int32_t n = TextLength(text);
    cap = SizeSum(n, 16);
    buf = new char[static_cast<std::size_t>(cap)];
    std::memcpy(buf, text, static_cast<std::size_t>(n) + 1);
    len = n;
}

DynString::DynString(const DynString &other) {
    cap = GrowthCapacity(other.len);
    buf = new char[static_cast<std::size_t>(cap)];
    buf[0] = '\0';
    if (other.buf) std::memcpy(buf, other.buf, static_cast<std::size_t>(other.len) + 1);
    len = other.len;
}

DynString::DynString(DynString &&other) {
    if (other.buf && !other.OwnsBuffer()) {
        // That buffer lives and dies with the other's container: copy it.
        buf = new char[static_cast<std::size_t>(other.cap)];
        std::memcpy(buf, other.buf, static_cast<std::size_t>(other.len) + 1);
        len = other.len;
        cap = other.cap;
        return;
    }
    buf = other.buf;
    len = other.len;
    cap = other.cap;
    other.buf = nullptr;
    other.len = 0;
    other.cap = 0;
}

DynString::~DynString() { Release(); }

void DynString::Release() noexcept {
    FreeBuffer();
    buf = nullptr;
    len = 0;
    cap = 0;
}

void DynString::Clear() noexcept {
    len = 0;
    if (buf) buf[0] = '\0';
}

void DynString::Reserve(std::int32_t n) {
    if (n < cap) return;
    const std::int32_t newCap = GrowthCapacity(n);
    char *fresh = new char[static_cast<std::size_t>(newCap)];
    fresh[0] = '\0';
    FreeBuffer();
    buf = fresh;
    cap = newCap;
}

int DynString::Grow(std::int32_t n) {
    if (n < cap) return 0;
    const std::int32_t newCap = GrowthCapacity(n);
    char *fresh = new char[static_cast<std::size_t>(newCap)];
    if (buf) std::memcpy(fresh, buf, static_cast<std::size_t>(len));
    fresh[len] = '\0';
    FreeBuffer();
    buf = fresh;
    cap = newCap;
    return 1;
}

void DynString::AssignBytes(const char *bytes, std::int32_t count) {
    if (count < 0) count = 0;
    // The source may lie in our own buffer, which Reserve only frees when
    // count >= cap, and then the source cannot be ours.
    Reserve(count);
    if (count > 0) std::memmove(buf, bytes, static_cast<std::size_t>(count));
    buf[count] = '\0';
    len = count;
}

void DynString::Assign(const DynString &other) {
    if (!other.buf) {
        Reserve(0);
        Clear();
        return;
    }
    AssignBytes(other.buf, other.len);
}

void DynString::Assign(const char *text) { AssignBytes(text, TextLength(text)); }

void DynString::AppendBytes(const char *bytes, std::int32_t count) {
    if (count < 0) count = 0;
    // Appending a part of ourselves: find it again after a reallocation.
    const bool own = PointsInto(bytes, buf, cap);
    const std::ptrdiff_t offset = own ? bytes - buf : 0;
    Grow(SizeSum(len, count));
    const char *src = own ? buf + offset : bytes;
    if (count > 0) std::memmove(buf + len, src, static_cast<std::size_t>(count));
    len += count;
    buf[len] = '\0';
}

void DynString::Append(const DynString &other) { AppendBytes(other.buf, other.len); }

void DynString::Append(const char *text) { AppendBytes(text, TextLength(text)); }

void DynString::AppendChar(char c) { AppendBytes(&c, 1); }

void DynString::AssignSubstring(const char *src, std::int32_t start, std::int32_t count) {
    const std::int32_t total = TextLength(src);
    if (start < 0) start += total;
    if (start < 0 || start >= total) {
        Clear();
        return;
    }
    if (count < 0 || count > total - start) count = total - start;
    AssignBytes(src + start, count);
}

void DynString::AppendSubstring(const char *src, std::int32_t start, std::int32_t count) {
    const std::int32_t total = TextLength(src);
    if (start < 0) start += total;
    if (start < 0 || start > total) return;  // callers never pass such a start
    if (count < 0 || count > total - start) count = total - start;
    AppendBytes(src + start, count);
}

std::int32_t DynString::Find(const char *pattern, std::int32_t patternLength,
                             std::int32_t pos) const {
    if (patternLength < 1) return -1;  // an empty pattern would match forever
    if (pos < 0) pos += len;
    if (pos < 0 || pos > len) return -1;
    const std::int32_t lastStart = len - patternLength;
    const char first = pattern[0];
    for (std::int32_t i = pos; i <= lastStart; ++i) {
        const void *hit = std::memchr(buf + i, first, static_cast<std::size_t>(lastStart - i + 1));
        if (!hit) return -1;
        i = static_cast<std::int32_t>(static_cast<const char *>(hit) - buf);
        if (std::memcmp(buf + i, pattern, static_cast<std::size_t>(patternLength)) == 0) return i;
    }
    return -1;
}

std::int32_t DynString::Find(const DynString &pattern, std::int32_t pos) const {
    return Find(pattern.buf, pattern.len, pos);
}

char DynString::operator[](std::int32_t i) const {
    if (!buf) return '\0';
    if (i < 0) i += len;
    if (i < 0) return '\0';
    // Past the end reads the last byte; an empty string has only its NUL.
    if (i > len) i = len > 0 ? len - 1 : 0;
    return buf[i];
}

void DynString::ReplaceAll(const char *pattern, const char *replacement) {
    const std::int32_t patternLength = TextLength(pattern);
    if (patternLength == 0) return;
    DynString result;
    std::int32_t done = 0;
    for (std::int32_t hit = Find(pattern, patternLength, 0); hit >= 0;
         hit = Find(pattern, patternLength, done)) {
        result.AppendBytes(buf + done, hit - done);
        result.Append(replacement);
        done = hit + patternLength;
    }
    result.AppendBytes(buf ? buf + done : nullptr, len - done);
    Assign(result);
}

void DynString::Erase(std::int32_t pos, std::int32_t count) {
    if (pos < 0) pos += len;
    if (pos < 0 || pos > len || !buf) return;
    if (count >= 0 && std::int64_t{pos} + count <= len) {
        std::memmove(buf + pos, buf + pos + count, static_cast<std::size_t>(len - pos - count) + 1);
        len -= count;
        return;
    }
    len = pos;
    buf[pos] = '\0';
}

DynString &DynString::ToLower() noexcept {
    // Every byte is stored, changed or not, so the loop vectorises: the menu
    // folds every entry for each key typed.
    char *p = buf;
    for (std::int32_t i = 0, n = len; i < n; ++i) p[i] = FoldAscii(p[i]);
    return *this;
}

bool DynString::Equals(const DynString &other) const noexcept {
    if (!other.buf) return !buf;
    if (!buf) return false;
    return len == other.len && std::memcmp(buf, other.buf, static_cast<std::size_t>(len)) == 0;
}

int DynString::ReadWholeFile(const char *path) {
    WholeFile file(path);
    if (!file.IsOpen()) return 0;
    const std::int32_t n = file.Size();
    if (n >= cap) Reserve(n);
    if (!file.Read(buf, n) || !file.Finished()) {
        Clear();  // the bytes read so far are no contents
        return 0;
    }
    buf[n] = '\0';
    len = n;
    return 1;
}

DynString Concat(const char *text, const DynString &s) {
    DynString result(text);
    result.Append(s);
    return result;
}

DynString Concat(const DynString &s, const char *text) {
    DynString result(s);
    result.Append(text);
    return result;
}
