// The few operating-system services the plug-in needs, with one Windows and
// one POSIX implementation. Paths are NUL-terminated byte strings, passed to
// the system as they are. Every call can be made to fail by a test hook
// (platform/fault.h), so failure paths are testable on both systems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr bool kFoldsCase = true;  // names compare ignoring ASCII case
#else
inline constexpr char kPathSeparator = '/';
inline constexpr bool kFoldsCase = false;  // case matters: names are exact bytes
#endif

// What tells one saved history file from another: last-write time, identity
// (volume and file index, or device and inode) and size. Consecutive saves can
// share a write time, but each save makes a new file.
struct FileStamp {
    std::int64_t writeTime = 0;
    std::uint64_t volume = 0;
    std::uint64_t fileId = 0;
    std::int64_t size = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// Reads the stamp of an existing file; false when it cannot be queried.
[[nodiscard]] bool GetFileStamp(const char *path, FileStamp &stamp);

// Whether the file's attributes can be queried: the test for "exists".
[[nodiscard]] bool FileAttributesQueryable(const char *path);

// Rows of the console's screen buffer; -1 when there is no console to ask.
[[nodiscard]] int ConsoleBufferRows();

// Replaces a file's whole contents so that no reader ever sees a partial
// file: the bytes go to a new file beside it, reach the disk, and then take
// its place in one step. A read-only file is never replaced. Where no file can
// be created beside it, a writable file is rewritten in place. On failure the
// old file is as it was and false is returned.
class FileReplacement {
public:
    explicit FileReplacement(const char *path);
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement();  // abandons an uncommitted replacement

    // Whether the new contents can be written (the file was opened).
    [[nodiscard]] bool IsOpen() const noexcept { return handle_ != kNoHandle; }
    // Appends bytes; false once any write has failed.
    [[nodiscard]] bool Write(const void *bytes, std::size_t size) noexcept;
    // Flushes to disk and puts the new contents in place.
    [[nodiscard]] bool Commit() noexcept;

private:
    static constexpr std::intptr_t kNoHandle = -1;
    void Open();
    [[nodiscard]] bool CloseHandle() noexcept;
    void Abandon() noexcept;

    std::string target_;     // the file to replace, links resolved
    std::string temporary_;  // the new file beside it; empty when in place
    std::intptr_t handle_ = kNoHandle;
    bool failed_ = false;
};

}  // namespace platform
