// The few operating-system services the plug-in needs, with one Windows and
// one POSIX implementation. Paths are NUL-terminated byte strings, passed to
// the system as they are. Every call can be made to fail by a test hook
// (platform/fault.h), so failure paths are testable on both systems.
//
// How copies of the plug-in share one file through these (the lock, the
// check before a replace, the save paths, and what a crash, a power cut or
// a stall leaves) is written once, as numbered rules, in docs/saving.md.
// Comments below point to those rules as "rule N".
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
// (device and inode; on Windows the file index, the volume left 0, as stamps
// of one path are compared) and size. Consecutive saves can share a write
// time, but each save makes a new file. All zero stands for no file: no real
// file has the identity 0.
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

// The lock that every copy takes around a change to the file at a path
// (rules 2 to 5). It keeps copies from redoing each other's work; it never
// decides whether a save may replace the file, which the check of rule 1
// does. Normally it is a lock file beside the guarded file, made once and
// kept; where that cannot be used, the guarded file itself is locked (a
// mutex named after it on Windows). The system releases it when its holder
// dies.
//
// A copy waits for it while the holder shows progress, and passes a holder
// that shows none for a second, or any after a second and a half in all; it
// then holds nothing, and its save still keeps rule 1.
class FileLock {
public:
    explicit FileLock(const char *path);
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    ~FileLock();

    [[nodiscard]] bool Held() const noexcept { return handle_ != kNoHandle; }

private:
    friend class FileReplacement;
    enum class Kind { None, LockFile, GuardedFile };
    [[nodiscard]] bool TryOnce();
    void Wait();
    // The holder's progress marks, which waiters watch (rule 3): the lock
    // file's size is 0 between saves and grows as a save writes.
    void ShowProgress(std::uint64_t bytes) noexcept;
    void SaveOver() noexcept;
    [[nodiscard]] bool Guarded() const noexcept { return kind_ == Kind::GuardedFile; }

    std::string guarded_;  // the guarded file, links resolved
    std::string path_;     // the lock file
    Kind kind_ = Kind::None;
    std::intptr_t handle_ = kNoHandle;
    bool interrupted_ = false;  // the last holder's save never ended
    std::uint64_t shown_ = 0;   // the progress mark last shown
    static constexpr std::intptr_t kNoHandle = -1;
};

// How a save ended.
enum class SaveOutcome {
    Saved,   // the new contents are in place and on disk
    Stale,   // the file is not the one expected: read it again, then retry
    Failed,  // the file is as it was
};

// Replaces a file's whole contents, only if it is still the file this copy
// last read or wrote (rule 1): the bytes go to a new file beside it, private
// to this user (rule 6), reach the disk, and then take its place in one
// step (rules 9 and 10). A read-only file, or anything but a regular file,
// is never replaced.
//
// Only where the folder refuses new files is the file rewritten in place,
// under a lock on the file itself (rule 11); that path alone cannot survive
// a crash or power cut in the middle of the write.
class FileReplacement {
public:
    // expected: the stamp of the file as this copy last read or wrote it,
    // all zero when it found none. lock: the file's, when this save is part
    // of a change under it.
    FileReplacement(const char *path, const FileStamp &expected, FileLock *lock);
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement();  // abandons an uncommitted replacement

    // Whether the new contents can be written (a file was opened).
    [[nodiscard]] bool IsOpen() const noexcept { return handle_ != kNoHandle; }
    // Appends bytes; false once any write has failed.
    [[nodiscard]] bool Write(const void *bytes, std::size_t size) noexcept;
    // Flushes to disk and puts the new contents in place; when nothing could
    // be opened, says why.
    [[nodiscard]] SaveOutcome Commit() noexcept;
    // After a successful commit: the stamp of the file now in place.
    [[nodiscard]] const FileStamp &Stamp() const noexcept { return stamp_; }

private:
    static constexpr std::intptr_t kNoHandle = -1;
    void OpenBeside();
    void OpenInPlace();
    [[nodiscard]] SaveOutcome CommitBeside() noexcept;
    [[nodiscard]] SaveOutcome CommitInPlace() noexcept;
    [[nodiscard]] bool Finish() noexcept;
    void Abandon() noexcept;

    std::string target_;     // the file to replace, links resolved
    std::string temporary_;  // the new file beside it; empty when in place
    FileStamp expected_;
    FileLock *lock_;                    // or null
    bool replacing_ = false;            // there is a file to replace, not a first creation
    unsigned permissions_ = 0;          // the replaced file's, for the new one
    const void *accessList_ = nullptr;  // Windows: the replaced file's, if read already
    std::string original_;              // in place: the bytes the file held before
    std::intptr_t handle_ = kNoHandle;
    std::size_t written_ = 0;
    std::int64_t replacedWriteTime_ = 0;  // the replaced file's, if there was one
    bool failed_ = false;
    bool leftBehind_ = false;  // a file of this save's stays beside the target
    enum class Unopened { Failed, Refused, Stale };
    Unopened unopened_ = Unopened::Failed;  // why nothing is open
    FileStamp stamp_;
};

// Whether a FileReplacement of the file could go ahead now: false when the
// file is read-only or not a regular file, or when its folder takes no new
// files and the file cannot be rewritten in place. For hosts, to say that
// changes will not be saved; a save can still fail (a full disk).
[[nodiscard]] bool CanReplace(const char *path);

// Removes the temporary files that crashed saves left beside the file; false
// when one stays. A live save's temporary file is never removed (rule 8).
[[nodiscard]] bool RemoveCrashedSaves(const char *path);

}  // namespace platform
