// Test hooks of the platform layer: make any call fail, see every call with
// the file it concerns, give any console height, skip the flush to disk,
// shorten the lock's patience, lengthen the time a file counts as being
// written, coarsen file times and count the file-system calls. They do
// nothing unless a test or a benchmark sets them.
#pragma once

#include <chrono>
#include <optional>

namespace platform::fault {

enum class Call {
    FileStamp,        // reading a file's stamp
    FileAttributes,   // querying a file's attributes
    ConsoleRows,      // asking the console for its height
    OpenToRead,       // opening a file to read it
    Read,             // reading its bytes
    Lock,             // taking the history's lock
    ByteLock,         // its byte-range lock, refused as by a file system that keeps none
    CreateTemporary,  // creating the new file beside the one to replace
    RefuseTemporary,  // the same, refused as by a folder that takes no new files
    CopyPermissions,  // giving the new file the old one's permissions
    AccessList,       // making it with the history's access list (Windows), refused as a share may
    OpenInPlace,      // opening the file itself for rewriting
    Write,            // writing bytes of the new contents
    Truncate,         // cutting a file rewritten in place to its new length
    Flush,            // flushing the new contents to disk
    Replace,          // putting the new file in place of the old
    FlushFolder,      // making the folder's record of the replace durable
    Remove,           // removing a file: a save's own, a crashed save's, a pending record
    Mark,             // making the mark that says pending records wait
    List,             // listing the folder for pending records or a crash's files
    Unlock,           // letting go of the lock, or of the try at it: a change ends
};

// Sees each call before it is made, with the file it concerns (the new
// file for Write, Flush and Replace; the history rewritten in place; null
// where there is none), and returns true to make it fail as the system
// would.
using Hook = bool (*)(Call call, const char *path);

// The file-system calls the platform layer makes, by kind, as a benchmark
// counts them. Reading, writing and moving within an open file are left out.
enum class FileCall {
    Create,  // making a file: a save's new file, a pending record, the mark
    Open,    // opening an existing file or folder
    Close,
    Delete,
    List,   // listing a folder
    Flush,  // flushing to disk
    Rename,
    Query,   // reading a file's attributes, times, size or identity
    Change,  // setting a file's attributes, permissions, times or length
    Lock,    // locking or unlocking an open file or a range of it
};
// Told of each file-system call, right after it; it must leave the system's
// last error as it is.
using Counter = void (*)(FileCall);

void SetHook(Hook hook) noexcept;
// The console height to report instead of asking; nullopt asks again.
void SetConsoleRows(std::optional<int> rows) noexcept;
// Whether writes are flushed to disk; fuzzing and the simulation turn it
// off for speed. The hook still sees the flushes.
void SetDiskFlush(bool enabled) noexcept;
// How long a copy waits for the history's lock before it leaves its change,
// whatever the change (nullopt: as each kind of change waits).
void SetLockPatience(std::optional<std::chrono::milliseconds> patience) noexcept;
// How long after another program's write a file counts as being written.
void SetStillAfter(std::chrono::milliseconds still) noexcept;
// File times as a file system that keeps only whole steps of this many
// seconds would report them (0: as the system reports them).
void SetCoarseTimes(int seconds) noexcept;
void SetCounter(Counter counter) noexcept;
// Every volume as one on another computer (Windows): looks go through an
// opened file, and stamps carry file ids, as on a network share.
void SetRemoteVolumes(bool remote) noexcept;

// For the platform layer itself.
[[nodiscard]] bool Fails(Call call, const char *path = nullptr) noexcept;
[[nodiscard]] std::optional<int> ConsoleRowsOverride() noexcept;
[[nodiscard]] bool DiskFlushEnabled() noexcept;
[[nodiscard]] std::optional<std::chrono::milliseconds> LockPatience() noexcept;
[[nodiscard]] std::chrono::milliseconds StillAfter() noexcept;
[[nodiscard]] int CoarseTimes() noexcept;
[[nodiscard]] bool RemoteVolumes() noexcept;
void Count(FileCall call) noexcept;
// Counts a file-system call made, and hands on its result.
template <class Result>
Result Counted(FileCall call, Result result) noexcept {
    Count(call);
    return result;
}

}  // namespace platform::fault
