// Internal to the platform layer: the raw system calls behind it, one
// definition per system (system_posix.cpp, system_windows.cpp). Handles are
// file descriptors or HANDLEs; kNoFile is neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"

namespace platform::system {

using File = std::intptr_t;
inline constexpr File kNoFile = -1;

// The longest path the system takes, in bytes (Windows: MAX_PATH less its
// NUL; refused here even where Wine would take more), and the units of a
// FileStamp's times.
#ifdef _WIN32
inline constexpr std::size_t kLongestPath = 259;
inline constexpr std::int64_t kTicksPerSecond = 10000000;  // 100 ns
// A read shares no write access, so it fails while another program has the
// file open for writing (rule 7).
inline constexpr bool kWriterShowsInRead = true;
#else
inline constexpr std::size_t kLongestPath = 4095;
inline constexpr std::int64_t kTicksPerSecond = 1000000000;  // 1 ns
inline constexpr bool kWriterShowsInRead = false;
#endif

// A file time as the system reports it and keeps it, or, for a test, as a
// file system that keeps whole steps of fault::CoarseTimes() seconds would.
[[nodiscard]] inline std::int64_t Reported(std::int64_t time) {
    const std::int64_t step = fault::CoarseTimes() * kTicksPerSecond;
    return step > 0 ? time - time % step : time;
}

enum class Opened {
    Yes,
    Missing,  // nothing at the path
    Held,     // another program keeps it to itself, or (Windows) writes it, for now
    Failed,   // anything else: no permission, not a regular file, an I/O error
};

enum class Created {
    Yes,
    NameTaken,  // a file of that name exists
    Refused,    // the folder takes no new files: no permission, read-only
    Failed,     // anything else: no space, too many open files
};

enum class Renamed {
    Yes,
    NameTaken,  // a first creation found the name taken
    Refused,    // another program holds the file for a moment
    Failed,
};

enum class Locking {
    Held,
    Busy,      // another copy holds it
    Unusable,  // it cannot be had here
};

// A look by path, without the test hook: for looks that are part of a step.
[[nodiscard]] FileLook LookAt(const char *path);

// Opens a regular file to read, without blocking and without keeping others
// from replacing it; fills its look. A file being rewritten in place is
// held: it is waited for a moment, as is one another program holds or, on
// Windows, has open for writing.
[[nodiscard]] Opened OpenToRead(const char *path, File &file, FileLook &look);
// Bytes read, 0 at the end, -1 on an error.
[[nodiscard]] std::int64_t ReadSome(File file, void *into, std::size_t count);

// Creates a new file that must not exist yet, held until it is closed:
// RemoveIfAbandoned leaves it. On POSIX it is readable and writable by this
// user alone until GivePermissions; on Windows, where no one else can open
// it while it is held, it is made with the attributes a user sets on a file
// (hidden, system, archive, not indexed) among `permissions`, and the
// access list, where one is given.
[[nodiscard]] Created CreatePrivate(const std::string &path, unsigned permissions,
                                    const std::vector<unsigned char> &accessList, File &file);
// Windows: the access list a file that replaces the one at the path must
// be given; empty where the folder's, which a new file inherits, will do.
// False when it cannot be read.
[[nodiscard]] bool ReadAccessList(const std::string &path, std::vector<unsigned char> &list);
// Gives a complete new file the permissions of the file it replaces, where
// it was not made with them: POSIX mode bits.
[[nodiscard]] bool GivePermissions(File file, unsigned permissions);
// Opens an existing file to read and write, keeping its contents.
[[nodiscard]] File OpenToRewrite(const std::string &path);
[[nodiscard]] bool WriteAll(File file, const void *bytes, std::size_t size);
[[nodiscard]] bool Rewind(File file);
[[nodiscard]] bool Truncate(File file, std::uint64_t size);
[[nodiscard]] bool FlushToDisk(File file);
[[nodiscard]] bool SetWriteTime(File file, std::int64_t time);
// The open file's stamp; its size as given, where known (>= 0): one query
// less on Windows. path: where it is, which tells (Windows) whether its
// volume is another computer's, whose stamps carry file ids.
[[nodiscard]] bool StampOpen(File file, const std::string &path, std::int64_t size,
                             FileStamp &stamp);
[[nodiscard]] bool Close(File file);

// Gives the open new file `from` the name `to`, replacing what is there, or
// for a first creation only if the name is still free (where the file
// system has a way to ask for that: otherwise a plain rename); on Windows
// written through, on POSIX made durable by FlushFolderOf after.
[[nodiscard]] Renamed Rename(File file, const std::string &from, const std::string &to,
                             bool firstCreation);
// The folder part of a path, its last separator included; empty where the
// path has none (the current folder).
[[nodiscard]] std::string FolderOf(const std::string &path);
// Makes the folder's record of a renamed or new file durable.
void FlushFolderOf(const std::string &path);
// Removes the file at the path; false when it is left there.
[[nodiscard]] bool Remove(const std::string &path);

// Whether new files can be made in the folder that holds the path.
[[nodiscard]] bool FolderTakesFiles(const std::string &path);
// The names in the path's folder that start with the path's own file name;
// with regularOnly, only those the listing shows to be regular files (not
// links, folders, devices or reparse points).
[[nodiscard]] std::vector<std::string> Siblings(const std::string &path, bool regularOnly = false);
// Removes a file that no open CreatePrivate handle holds; false when such a
// file stays.
[[nodiscard]] bool RemoveIfAbandoned(const std::string &path);
// Creates an empty file at the path unless one is there; false when none is.
[[nodiscard]] bool CreateMark(const std::string &path);

// The history's lock (rule 1), tried once; `on` is what it locks.
[[nodiscard]] Locking LockHistory(const std::string &history, const char *library, File &lock,
                                  std::string &on);
void UnlockHistory(File lock);
// The lock of a file opened to be rewritten in place (rule 9), which
// keeps every reader out until it is closed; waited for a moment.
[[nodiscard]] bool LockForRewrite(File file);

// Waits a moment.
void Pause(std::uint32_t milliseconds);
// A clock for timeouts, in milliseconds.
[[nodiscard]] std::uint64_t Milliseconds();

}  // namespace platform::system
