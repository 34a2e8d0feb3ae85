// Internal to the platform layer: the raw system calls behind it, one
// definition per system (system_posix.cpp, system_windows.cpp). Handles are
// file descriptors or HANDLEs; kNoFile is neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::system {

using File = std::intptr_t;
inline constexpr File kNoFile = -1;

// The lock file's name is the guarded file's with this added.
inline constexpr char kLockMark[] = ".lock";

// The longest path the system takes, in bytes (Windows: MAX_PATH less its
// NUL; refused here even where Wine would take more).
#ifdef _WIN32
inline constexpr std::size_t kLongestPath = 259;
#else
inline constexpr std::size_t kLongestPath = 4095;
#endif

enum class Existing { Missing, Writable, ReadOnly, NotAFile };

enum class Opened {
    Yes,
    Missing,  // nothing at the path
    Held,     // another program keeps it to itself for now
    Failed,   // anything else: no permission, not a regular file, an I/O error
};

enum class Created {
    Yes,
    NameTaken,  // a file of that name exists
    Refused,    // the folder takes no new files: no permission, read-only
    Failed,     // anything else: no space, too many open files
};

enum class Locking {
    Held,
    Busy,      // another copy holds it
    Unusable,  // this kind of lock cannot be had here
};

// The file a path finally names, through any symbolic links.
[[nodiscard]] std::string ResolveLinks(const char *path);
// What is at a path; for a file, also its last-write time and permissions.
struct Found {
    Existing kind = Existing::Missing;
    std::int64_t writeTime = 0;
    unsigned permissions = 0;  // POSIX mode bits; Windows attributes
    // Windows: the access list to give a file that replaces it, as the look
    // that found it read it (good until the next look); null where it is
    // still to be read.
    const void *accessList = nullptr;
};
// What is at a path, for a save over the file that bears the stamp: on
// Windows drawn from StampOf's last look where that saw this very file.
[[nodiscard]] Found Inspect(const std::string &path, const FileStamp &expected);
[[nodiscard]] Presence Stamp(const char *path, FileStamp &stamp);

// Opens a regular file to read, without blocking and without keeping others
// from replacing it; fills its stamp. A file being rewritten in place is
// held: it is waited for a moment, as is one another program holds.
[[nodiscard]] Opened OpenToRead(const char *path, File &file, FileStamp &stamp);
// Bytes read, 0 at the end, -1 on an error.
[[nodiscard]] std::int64_t ReadSome(File file, void *into, std::size_t count);

// Creates a new file that must not exist yet, held until it is closed:
// RemoveIfAbandoned leaves it. It is to replace the file at `replaced`
// (empty: none), whose permissions and access list Inspect found. On POSIX
// it is readable and writable by this user alone until GivePermissions; on
// Windows, where no one else can open it while it is held, it is made with
// the old file's attributes (hidden, system, archive, not indexed) and
// access list.
[[nodiscard]] Created CreatePrivate(const std::string &path, const std::string &replaced,
                                    unsigned permissions, const void *accessList, File &file);
// Gives a complete new file the permissions of the file it replaces, where
// it was not made with them: POSIX mode bits.
[[nodiscard]] bool GivePermissions(File file, unsigned permissions);
// Opens an existing file to read and write, keeping its contents.
[[nodiscard]] File OpenToRewrite(const std::string &path);
[[nodiscard]] bool WriteAll(File file, const void *bytes, std::size_t size);
[[nodiscard]] bool Rewind(File file);
[[nodiscard]] bool Truncate(File file, std::uint64_t size);
[[nodiscard]] bool FlushToDisk(File file);
// The time now, and a file's last-write time, in FileStamp::writeTime units.
[[nodiscard]] std::int64_t Now();
[[nodiscard]] bool SetWriteTime(File file, std::int64_t time);
[[nodiscard]] bool StampOpen(File file, FileStamp &stamp);
[[nodiscard]] bool Close(File file);

// Puts the open new file `from` in place of `to` in one step, only if `to`
// is still the file the stamp names, or, for an all-zero stamp, if there is
// still none there (rules 1 and 10). On Stale and Failed, `from` still
// names the new file, for the caller to remove. leftBehind: the replaced
// file could not be removed.
[[nodiscard]] SaveOutcome PutInPlace(File file, const std::string &from, const std::string &to,
                                     const FileStamp &expected, bool &leftBehind);
// Makes the folder's record of a renamed or new file durable.
void FlushFolderOf(const std::string &path);
// Removes the open file at the path, if the path still names it; false
// when it is left there.
[[nodiscard]] bool RemoveOwn(File file, const std::string &path);
[[nodiscard]] unsigned long ProcessId();

// Whether new files can be made in the folder that holds the path.
[[nodiscard]] bool FolderTakesFiles(const std::string &path);
// The names in the path's folder that start with the path's own file name.
[[nodiscard]] std::vector<std::string> Siblings(const std::string &path);
// Removes a file that no open CreatePrivate handle holds; false when such a
// file stays.
[[nodiscard]] bool RemoveIfAbandoned(const std::string &path);

// The lock file at a path, made if missing, private to this user (rule 4);
// marked: a holder's progress mark is on it (rule 8).
[[nodiscard]] Locking LockFile(const std::string &path, File &file, bool &marked);
// A lock that needs no lock file (rules 4 and 5): on POSIX the guarded
// file's folder; on Windows a mutex named after the file.
[[nodiscard]] Locking LockGuarded(const std::string &path, File &file);
// The lock of a file opened to be rewritten in place (rule 11), which
// keeps other rewriters and every reader out until it is closed; waited
// for a moment.
[[nodiscard]] bool LockForRewrite(File file);
void Unlock(File lock);
void UnlockGuarded(File lock);
// The lock file's size: its holder's progress mark (rule 3).
[[nodiscard]] bool SetSize(File file, std::uint64_t size);

// Waits a moment.
void Pause(std::uint32_t milliseconds);
// A clock for timeouts, in milliseconds.
[[nodiscard]] std::uint64_t Milliseconds();

}  // namespace platform::system
