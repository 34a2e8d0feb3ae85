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
// share a write time, but each save makes a new file. All zero stands for no
// file: no real file has the identity 0.
struct FileStamp {
    std::int64_t writeTime = 0;
    std::uint64_t volume = 0;
    std::uint64_t fileId = 0;
    std::int64_t size = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

enum class Presence {
    Missing,  // nothing at the path
    Present,  // a file, its stamp read
    Unknown,  // cannot be told: no permission, an I/O error
};

// Reads the stamp of the file at the path.
[[nodiscard]] Presence StampOf(const char *path, FileStamp &stamp);

// Whether the file's attributes can be queried: the test for "exists".
[[nodiscard]] bool FileAttributesQueryable(const char *path);

// Rows of the console's screen buffer; -1 when there is no console to ask.
[[nodiscard]] int ConsoleBufferRows();

// Reads an existing regular file. Opening never blocks: a FIFO, a device or
// a socket is refused. A file that another program holds for a moment is
// waited for, about 100 ms at most.
class FileReader {
public:
    explicit FileReader(const char *path);
    FileReader(const FileReader &) = delete;
    FileReader &operator=(const FileReader &) = delete;
    ~FileReader();

    [[nodiscard]] bool IsOpen() const noexcept { return handle_ != kNoHandle; }
    // Whether the open failed because nothing is at the path.
    [[nodiscard]] bool Missing() const noexcept { return missing_; }
    // The opened file's stamp and size, as they were at the open.
    [[nodiscard]] const FileStamp &Stamp() const noexcept { return stamp_; }
    // Reads exactly count bytes; false on an error or an early end.
    [[nodiscard]] bool Read(void *into, std::size_t count) noexcept;
    // Whether nothing follows the bytes read so far.
    [[nodiscard]] bool AtEnd() noexcept;

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
    bool missing_ = false;
    FileStamp stamp_;
};

class FileLock;
namespace system {
struct Found;
enum class Created;
}  // namespace system

// Replaces a file's whole contents so that no reader ever sees a partial
// file: the bytes go to a new file beside it, reach the disk, and then take
// its place in one step. A read-only file, or anything but a regular file, is
// never replaced. On failure the old file is as it was and false is returned.
//
// Only where the folder refuses new files (no permission, a read-only file
// system) is an existing writable file rewritten in place instead: its bytes
// are kept in memory, overwritten without truncating first, and written back
// should any step fail. That path alone cannot survive a crash or power cut in
// the middle of the write, which leaves the file partly rewritten.
//
// Given the file's lock, held, the new contents may go into the lock file
// itself, which then takes the file's place: one file fewer to make and to
// remove, and the lock is let go in the same step. POSIX only: a Windows
// lock file is deleted as it closes.
class FileReplacement {
public:
    explicit FileReplacement(const char *path, FileLock *lock = nullptr);
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement();  // abandons an uncommitted replacement

    // Whether the new contents can be written (the file was opened).
    [[nodiscard]] bool IsOpen() const noexcept { return handle_ != kNoHandle; }
    // Appends bytes; false once any write has failed.
    [[nodiscard]] bool Write(const void *bytes, std::size_t size) noexcept;
    // Flushes to disk and puts the new contents in place.
    [[nodiscard]] bool Commit() noexcept;
    // After a successful commit: the stamp of the file now in place.
    [[nodiscard]] const FileStamp &Stamp() const noexcept { return stamp_; }

private:
    static constexpr std::intptr_t kNoHandle = -1;
    void Open(FileLock *lock);
    [[nodiscard]] system::Created CreateTemporary(const system::Found &replaced);
    [[nodiscard]] system::Created Carry(FileLock &lock, const system::Found &replaced);
    void OpenInPlace();
    [[nodiscard]] bool CloseHandle() noexcept;
    void Abandon() noexcept;

    std::string target_;           // the file to replace, links resolved
    std::string temporary_;        // the new file beside it; empty when in place
    FileLock *carrier_ = nullptr;  // the lock whose file is the new file
    std::string original_;         // in place: the bytes the file held before
    std::intptr_t handle_ = kNoHandle;
    std::size_t written_ = 0;
    std::int64_t replacedWriteTime_ = 0;  // the replaced file's, if there was one
    bool failed_ = false;
    FileStamp stamp_;
};

// Removes the temporary files that crashed saves left beside the file. A
// live save's temporary file is never removed.
void RemoveCrashedSaves(const char *path);

// Whether a FileReplacement of the file could go ahead now: false when the
// file is read-only or not a regular file, or when its folder takes no new
// files and the file cannot be rewritten in place. For hosts, to say that
// changes will not be saved; a save can still fail (a full disk).
[[nodiscard]] bool CanReplace(const char *path);

// The lock that every copy takes around a change to the file at a path: a
// lock file beside it, held exclusively, released by the system when its
// holder dies, and removed when let go. It is waited for while its holders
// keep changing the file, and a second more. After that, or where no lock
// file can be made, it holds nothing and the change goes ahead: a hung copy
// must never freeze the others.
class FileLock {
public:
    explicit FileLock(const char *path);
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    ~FileLock();

    [[nodiscard]] bool Held() const noexcept { return handle_ != kNoHandle; }

private:
    friend class FileReplacement;
    static constexpr std::intptr_t kNoHandle = -1;
    std::string path_;
    std::intptr_t handle_ = kNoHandle;
    bool carries_ = false;  // its file can still take a save's new contents
    bool placed_ = false;   // its file has taken the guarded file's place
};

}  // namespace platform
