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

// The file a path finally names, through any symbolic links.
[[nodiscard]] std::string ResolveLinks(const char *path);
// What is at a path; for a file, also its last-write time and permissions.
struct Found {
    Existing kind = Existing::Missing;
    std::int64_t writeTime = 0;
    unsigned permissions = 0;  // POSIX mode bits
};
[[nodiscard]] Found Inspect(const std::string &path);
[[nodiscard]] Presence Stamp(const char *path, FileStamp &stamp);

// Opens a regular file to read, without blocking and without keeping others
// from replacing it; fills its stamp.
[[nodiscard]] Opened OpenToRead(const char *path, File &file, FileStamp &stamp);
// Bytes read, 0 at the end, -1 on an error.
[[nodiscard]] std::int64_t ReadSome(File file, void *into, std::size_t count);

// Creates a new file that must not exist yet, with the permissions of the
// file it is to replace, when there is one. While it is open,
// RemoveIfAbandoned leaves it.
[[nodiscard]] Created CreateExclusive(const std::string &path, const Found &replaced, File &file);
// Readies the lock file, held and empty, to take the new contents of the
// file it guards, as CreateExclusive readies a new file.
[[nodiscard]] Created TakeLockFile(File lock, const Found &replaced);
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
// Puts `from` in place of `to` in one step.
[[nodiscard]] bool Replace(const std::string &from, const std::string &to);
// Makes the folder's record of a renamed or new file durable.
void FlushFolderOf(const std::string &path);
void Remove(const std::string &path);
[[nodiscard]] unsigned long ProcessId();

// Whether new files can be made in the folder that holds the path.
[[nodiscard]] bool FolderTakesFiles(const std::string &path);
// The names in the path's folder that start with the path's own file name.
[[nodiscard]] std::vector<std::string> Siblings(const std::string &path);
// Removes a file that no open CreateExclusive handle holds.
void RemoveIfAbandoned(const std::string &path);

// One try at the lock file; busy tells "held by another copy" from "cannot
// be made here", and carries whether TakeLockFile can take the file.
[[nodiscard]] File TryLock(const std::string &path, bool &busy, bool &carries);
void Unlock(File file, const std::string &path);

}  // namespace platform::system
