// The platform layer on POSIX systems.
#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {
namespace {

using fault::Counted;
using fault::FileCall;

constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
constexpr std::int64_t kNanosecondsPerMillisecond = 1000000;

// New files are this user's alone until complete (rule 6).
constexpr mode_t kPrivateMode = S_IRUSR | S_IWUSR;

// The mode bits chmod sets: permissions, set-id and sticky bits.
constexpr mode_t kChmodBits = 07777;

// Opened without following a link and without blocking on a FIFO or device.
constexpr int kSafeOpen = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

int Fd(system::File file) { return static_cast<int>(file); }

// A time as the nanoseconds since the epoch that stamps are kept in.
std::int64_t Nanoseconds(const timespec &time) {
    return std::int64_t{time.tv_sec} * kNanosecondsPerSecond + time.tv_nsec;
}

FileStamp StampFrom(const struct stat &st) {
    return {Nanoseconds(st.st_mtim), st.st_dev, st.st_ino, st.st_size};
}

bool SameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the path still names the open file: a holder before us may have
// removed or replaced it. The open file's status goes to `opened`.
bool StillNamed(int fd, const std::string &path, struct stat &opened) {
    struct stat named {};
    return Counted(FileCall::Query, ::fstat(fd, &opened)) == 0 &&
           Counted(FileCall::Query, ::lstat(path.c_str(), &named)) == 0 && SameFile(opened, named);
}

bool StillNamed(int fd, const std::string &path) {
    struct stat opened {};
    return StillNamed(fd, path, opened);
}

// Everything but a vanished path or a vanished folder is an unknown state.
bool NothingThere(int error) { return error == ENOENT || error == ENOTDIR; }

// A rename flag the file system does not know.
bool Unsupported(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }

// A file held for a moment is tried again for about 100 ms: long enough
// for a rewrite in place to end, short enough not to be felt.
constexpr int kRetries = 10;
constexpr std::uint32_t kRetryPauseMs = 10;

// A lock on the file's bytes, apart from flock's: readers share it, a
// rewrite in place takes it alone (rule 11). It belongs to the open file,
// so two copies loaded in one process exclude each other too.
bool LockBytes(int fd, short type) {
    for (int attempt = 0;; ++attempt) {
        struct flock range {};
        range.l_type = type;
        range.l_whence = SEEK_SET;
        if (Counted(FileCall::Lock, ::fcntl(fd, F_OFD_SETLK, &range)) == 0) return true;
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) return false;
        if (attempt == kRetries) return false;
        system::Pause(kRetryPauseMs);
    }
}

bool TryFlock(int fd) {
    for (;;) {
        if (Counted(FileCall::Lock, ::flock(fd, LOCK_EX | LOCK_NB)) == 0) return true;
        if (errno != EINTR) return false;
    }
}

// First creation (rule 10): the new file takes the name only if nothing has
// it, so two copies creating the history at once cannot both win.
SaveOutcome CreateOnly(const std::string &from, const std::string &to) {
    if (Counted(FileCall::Rename,
                ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE)) == 0)
        return SaveOutcome::Saved;
    if (errno == EEXIST) return SaveOutcome::Stale;
    if (!Unsupported(errno)) return SaveOutcome::Failed;
    // A hard link is made only if the name is free, as atomically.
    if (Counted(FileCall::Rename, ::link(from.c_str(), to.c_str())) == 0) {
        (void)Counted(FileCall::Delete, ::unlink(from.c_str()));
        return SaveOutcome::Saved;
    }
    if (errno == EEXIST) return SaveOutcome::Stale;
    // No links either (FAT): a look, then the rename; the window is named.
    struct stat st {};
    if (Counted(FileCall::Query, ::lstat(to.c_str(), &st)) == 0) return SaveOutcome::Stale;
    return Counted(FileCall::Rename, ::rename(from.c_str(), to.c_str())) == 0 ? SaveOutcome::Saved
                                                                              : SaveOutcome::Failed;
}

}  // namespace

bool FileAttributesQueryable(const char *path) {
    struct stat st {};
    return !fault::Fails(fault::Call::FileAttributes, path) &&
           Counted(FileCall::Query, ::stat(path, &st)) == 0;
}

int ConsoleBufferRows() {
    if (const auto rows = fault::ConsoleRowsOverride()) return *rows;
    if (fault::Fails(fault::Call::ConsoleRows)) return -1;
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0) return -1;
    return size.ws_row;
}

namespace system {

std::string ResolveLinks(const char *path) {
    std::string target = path;
    // Follows each link by hand, so a link to a file not made yet still
    // leads to where that file belongs. The kernel's own limit on links in
    // one lookup ends a loop.
    constexpr int kMostLinks = 40;
    for (int depth = 0; depth < kMostLinks; ++depth) {
        struct stat st {};
        if (Counted(FileCall::Query, ::lstat(target.c_str(), &st)) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::vector<char> link(PATH_MAX + 1);
        const ssize_t n =
            Counted(FileCall::Query, ::readlink(target.c_str(), link.data(), PATH_MAX));
        if (n <= 0) break;
        const std::string next(link.data(), static_cast<std::size_t>(n));
        const std::size_t slash = target.rfind('/');
        if (next[0] == '/' || slash == std::string::npos)
            target = next;
        else
            target = target.substr(0, slash + 1) + next;
    }
    return target;
}

Found Inspect(const std::string &path, const FileStamp &) {
    struct stat st {};
    if (Counted(FileCall::Query, ::stat(path.c_str(), &st)) != 0) return {};
    Found found{Existing::Writable, Nanoseconds(st.st_mtim), st.st_mode & kChmodBits};
    constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    if (!S_ISREG(st.st_mode))
        found.kind = Existing::NotAFile;
    else if ((st.st_mode & kAnyWrite) == 0)
        found.kind = Existing::ReadOnly;
    return found;
}

Presence Stamp(const char *path, FileStamp &stamp) {
    struct stat st {};
    if (fault::Fails(fault::Call::FileStamp, path)) return Presence::Unknown;
    if (Counted(FileCall::Query, ::stat(path, &st)) != 0)
        return NothingThere(errno) ? Presence::Missing : Presence::Unknown;
    stamp = StampFrom(st);
    return Presence::Present;
}

Opened OpenToRead(const char *path, File &file, FileStamp &stamp) {
    if (fault::Fails(fault::Call::OpenToRead, path)) return Opened::Failed;
    // Non-blocking, so a FIFO in the file's place cannot hang the host.
    const int fd =
        Counted(FileCall::Open, ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd < 0) return NothingThere(errno) ? Opened::Missing : Opened::Failed;
    struct stat st {};
    if (Counted(FileCall::Query, ::fstat(fd, &st)) != 0 || !S_ISREG(st.st_mode)) {
        Counted(FileCall::Close, ::close(fd));
        return Opened::Failed;
    }
    if (!LockBytes(fd, F_RDLCK)) {
        Counted(FileCall::Close, ::close(fd));
        return Opened::Held;
    }
    stamp = StampFrom(st);
    file = fd;
    return Opened::Yes;
}

std::int64_t ReadSome(File file, void *into, std::size_t count) {
    if (fault::Fails(fault::Call::Read)) return -1;
    for (;;) {
        const ssize_t n = ::read(Fd(file), into, count);
        if (n >= 0 || errno != EINTR) return n;
    }
}

Created CreatePrivate(const std::string &path, const std::string &, unsigned, const void *,
                      File &file) {
    if (fault::Fails(fault::Call::RefuseTemporary, path.c_str())) return Created::Refused;
    if (fault::Fails(fault::Call::CreateTemporary, path.c_str())) return Created::Failed;
    const int fd =
        Counted(FileCall::Create,
                ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | kSafeOpen, kPrivateMode));
    if (fd < 0) {
        if (errno == EEXIST) return Created::NameTaken;
        return errno == EACCES || errno == EPERM || errno == EROFS ? Created::Refused
                                                                   : Created::Failed;
    }
    // Held until the save is over, past its replace (rule 8): a file no one
    // holds was left by a crash. Only a sweep that opened it first can have
    // it; it is then its to remove.
    if (!TryFlock(fd)) {
        Counted(FileCall::Close, ::close(fd));
        return Created::NameTaken;
    }
    file = fd;
    return Created::Yes;
}

bool GivePermissions(File file, unsigned permissions) {
    // Made with these already; fchmod, unlike open's mode, is not narrowed
    // by the umask.
    if (permissions == kPrivateMode) return !fault::Fails(fault::Call::CopyPermissions);
    return !fault::Fails(fault::Call::CopyPermissions) &&
           Counted(FileCall::Change, ::fchmod(Fd(file), static_cast<mode_t>(permissions))) == 0;
}

File OpenToRewrite(const std::string &path) {
    const int fd = Counted(FileCall::Open, ::open(path.c_str(), O_RDWR | kSafeOpen));
    if (fd < 0) return kNoFile;
    struct stat st {};
    if (Counted(FileCall::Query, ::fstat(fd, &st)) != 0 || !S_ISREG(st.st_mode)) {
        Counted(FileCall::Close, ::close(fd));
        return kNoFile;
    }
    return fd;
}

bool WriteAll(File file, const void *bytes, std::size_t size) {
    const char *p = static_cast<const char *>(bytes);
    while (size > 0) {
        const ssize_t n = ::write(Fd(file), p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Rewind(File file) { return ::lseek(Fd(file), 0, SEEK_SET) == 0; }

bool Truncate(File file, std::uint64_t size) {
    return size <= static_cast<std::uint64_t>(INT64_MAX) &&
           Counted(FileCall::Change, ::ftruncate(Fd(file), static_cast<off_t>(size))) == 0;
}

bool FlushToDisk(File file) { return Counted(FileCall::Flush, ::fsync(Fd(file))) == 0; }

std::int64_t Now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

bool SetWriteTime(File file, std::int64_t time) {
    // Access time untouched, write time set.
    const timespec times[2] = {{0, UTIME_OMIT},
                               {time / kNanosecondsPerSecond, time % kNanosecondsPerSecond}};
    return Counted(FileCall::Change, ::futimens(Fd(file), times)) == 0;
}

bool StampOpen(File file, FileStamp &stamp) {
    struct stat st {};
    if (Counted(FileCall::Query, ::fstat(Fd(file), &st)) != 0) return false;
    stamp = StampFrom(st);
    return true;
}

bool Close(File file) { return Counted(FileCall::Close, ::close(Fd(file))) == 0; }

SaveOutcome PutInPlace(File, const std::string &from, const std::string &to,
                       const FileStamp &expected, bool &leftBehind) {
    if (fault::Fails(fault::Call::Replace, from.c_str())) return SaveOutcome::Failed;
    if (expected == FileStamp{}) return CreateOnly(from, to);
    // A look first: a stale save need not be swapped in to be found out.
    struct stat now {};
    if (Counted(FileCall::Query, ::stat(to.c_str(), &now)) != 0 || !(StampFrom(now) == expected))
        return SaveOutcome::Stale;
    if (Counted(FileCall::Rename,
                ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE)) != 0) {
        if (!Unsupported(errno)) return SaveOutcome::Failed;
        // No exchange here (NFS, FAT): the look above must do (rule 10).
        return Counted(FileCall::Rename, ::rename(from.c_str(), to.c_str())) == 0
                   ? SaveOutcome::Saved
                   : SaveOutcome::Failed;
    }
    // The replaced file now has the new file's name: nothing is lost, and
    // what it is can be checked after the fact.
    struct stat replaced {};
    if (Counted(FileCall::Query, ::lstat(from.c_str(), &replaced)) == 0 &&
        StampFrom(replaced) == expected) {
        leftBehind = fault::Fails(fault::Call::Remove, from.c_str()) ||
                     Counted(FileCall::Delete, ::unlink(from.c_str())) != 0;
        return SaveOutcome::Saved;
    }
    // Another writer saved in between: its file goes back in place.
    (void)Counted(FileCall::Rename,
                  ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE));
    return SaveOutcome::Stale;
}

void FlushFolderOf(const std::string &path) {
    if (fault::Fails(fault::Call::FlushFolder, path.c_str()) || !fault::DiskFlushEnabled()) return;
    // Built on the stack: this runs after the swap, where nothing may throw.
    char folder[PATH_MAX] = ".";
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos) {
        if (slash + 1 >= sizeof folder) return;
        path.copy(folder, slash + 1);
        folder[slash + 1] = '\0';
    }
    const int fd = Counted(FileCall::Open, ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd < 0) return;
    // Some file systems cannot flush a folder; the rename stands all the same.
    (void)Counted(FileCall::Flush, ::fsync(fd));
    Counted(FileCall::Close, ::close(fd));
}

bool RemoveOwn(File file, const std::string &path) {
    if (fault::Fails(fault::Call::Remove, path.c_str())) return false;
    // After a failed exchange the name may be another copy's save.
    return !StillNamed(Fd(file), path) || Counted(FileCall::Delete, ::unlink(path.c_str())) == 0;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

bool FolderTakesFiles(const std::string &path) {
    if (fault::Fails(fault::Call::RefuseTemporary)) return false;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return Counted(FileCall::Query, ::access(folder.c_str(), W_OK | X_OK)) == 0;
}

std::vector<std::string> Siblings(const std::string &path) {
    std::vector<std::string> found;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size());
    const std::unique_ptr<DIR, int (*)(DIR *)> listing(
        Counted(FileCall::List, ::opendir(folder.empty() ? "." : folder.c_str())), &::closedir);
    if (!listing) return found;
    while (const dirent *entry = ::readdir(listing.get())) {
        const std::string sibling = entry->d_name;
        if (sibling.size() > name.size() && sibling.compare(0, name.size(), name) == 0)
            found.push_back(folder + sibling);
    }
    return found;
}

bool RemoveIfAbandoned(const std::string &path) {
    const int fd = Counted(FileCall::Open, ::open(path.c_str(), O_RDONLY | kSafeOpen));
    if (fd < 0) return true;
    // A save still under way holds its file; so would one that just began.
    const bool abandoned = TryFlock(fd) && StillNamed(fd, path);
    const bool removed = !abandoned || (!fault::Fails(fault::Call::Remove, path.c_str()) &&
                                        Counted(FileCall::Delete, ::unlink(path.c_str())) == 0);
    Counted(FileCall::Close, ::close(fd));
    return removed;
}

namespace {

// Opens the lock file, making it where there is none; `made` says it was
// made now.
int OpenLockFile(const std::string &path, bool &made) {
    made = false;
    // Twice at most: another copy can make it between the two opens.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = Counted(FileCall::Open, ::open(path.c_str(), O_RDWR | kSafeOpen));
        if (fd >= 0 || errno != ENOENT) return fd;
        const int created =
            Counted(FileCall::Create,
                    ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | kSafeOpen, kPrivateMode));
        made = created >= 0;
        if (created >= 0 || errno != EEXIST) return created;
    }
    return -1;
}

}  // namespace

Locking LockFile(const std::string &path, File &file, bool &marked) {
    if (fault::Fails(fault::Call::Lock, path.c_str())) return Locking::Unusable;
    // Twice at most: a link, FIFO, socket or device found at the lock's own
    // name is removed, and the name then made a lock file.
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool made = false;
        const int fd = OpenLockFile(path, made);
        struct stat st {};
        if (fd >= 0 && Counted(FileCall::Query, ::fstat(fd, &st)) == 0 && S_ISREG(st.st_mode)) {
            // Another user's file, or one linked elsewhere, is not made to
            // carry progress marks: the guarded file is locked instead.
            if (st.st_uid != ::geteuid() || st.st_nlink != 1) {
                Counted(FileCall::Close, ::close(fd));
                return Locking::Unusable;
            }
            if (!TryFlock(fd)) {
                const int error = errno;
                Counted(FileCall::Close, ::close(fd));
                return error == EWOULDBLOCK ? Locking::Busy : Locking::Unusable;
            }
            if (!StillNamed(fd, path, st)) {  // removed meanwhile: try again later
                Counted(FileCall::Close, ::close(fd));
                return Locking::Busy;
            }
            file = fd;
            // A lock file made now is marked: whoever saved before it may
            // have crashed without one, or it was taken away with its mark.
            // The mark stays until a holder's save has swept.
            if (made) (void)SetSize(fd, 1);
            marked = made || st.st_size != 0;
            return Locking::Held;
        }
        if (fd >= 0) Counted(FileCall::Close, ::close(fd));
        // A folder takes no files, or a directory sits at the name: that is
        // not ours to clear.
        if (Counted(FileCall::Query, ::lstat(path.c_str(), &st)) != 0 || S_ISDIR(st.st_mode) ||
            S_ISREG(st.st_mode) || Counted(FileCall::Delete, ::unlink(path.c_str())) != 0)
            return Locking::Unusable;
    }
    return Locking::Unusable;
}

// The folder, not the file: a save replaces the file, so a lock on it
// guards nothing once another copy has saved, and it may not exist yet. A
// copy that began a change without a real lock then raced the others
// through all its tries, and a name could wait in memory until its host
// closed. The folder stays while copies come and go.
Locking LockGuarded(const std::string &path, File &file) {
    if (fault::Fails(fault::Call::Lock, path.c_str())) return Locking::Unusable;
    const std::size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd =
        Counted(FileCall::Open, ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd < 0) return Locking::Unusable;
    if (!TryFlock(fd)) {
        const int error = errno;
        Counted(FileCall::Close, ::close(fd));
        return error == EWOULDBLOCK ? Locking::Busy : Locking::Unusable;
    }
    file = fd;
    return Locking::Held;
}

bool LockForRewrite(File file) { return LockBytes(Fd(file), F_WRLCK); }

void Unlock(File lock) { Counted(FileCall::Close, ::close(Fd(lock))); }

void UnlockGuarded(File lock) { ::close(Fd(lock)); }

bool SetSize(File file, std::uint64_t size) { return Truncate(file, size); }

void Pause(std::uint32_t milliseconds) {
    timespec pause{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * kNanosecondsPerMillisecond};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

std::uint64_t Milliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(Nanoseconds(now) / kNanosecondsPerMillisecond);
}

}  // namespace system

Presence StampOf(const char *path, FileStamp &stamp) { return system::Stamp(path, stamp); }

}  // namespace platform

#endif
