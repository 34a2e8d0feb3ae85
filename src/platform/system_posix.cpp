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
    return std::int64_t{time.tv_sec} * system::kTicksPerSecond + time.tv_nsec;
}

FileStamp StampFrom(const struct stat &st) {
    return {system::Reported(Nanoseconds(st.st_mtim)), system::Reported(Nanoseconds(st.st_ctim)),
            st.st_dev, st.st_ino, st.st_size};
}

FileLook LookFrom(const struct stat &st) {
    constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    FileLook look;
    look.presence = Presence::Present;
    look.stamp = StampFrom(st);
    look.permissions = st.st_mode & kChmodBits;
    look.regular = S_ISREG(st.st_mode);
    look.readOnly = (st.st_mode & kAnyWrite) == 0;
    look.owner = st.st_uid;
    return look;
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
// rewrite in place takes it alone (rule 9). It belongs to the open file,
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

// The folder that holds the path, as a path to open.
std::string FolderToOpen(const std::string &path) {
    const std::string folder = system::FolderOf(path);
    return folder.empty() ? "." : folder;
}

// First creation: the new file takes the name only if nothing has it, so a
// program that made the history meanwhile is not overwritten.
system::Renamed CreateOnly(const std::string &from, const std::string &to) {
    using system::Renamed;
    if (Counted(FileCall::Rename,
                ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE)) == 0)
        return Renamed::Yes;
    if (errno == EEXIST) return Renamed::NameTaken;
    if (!Unsupported(errno)) return Renamed::Failed;
    // A hard link is made only if the name is free, as atomically.
    if (Counted(FileCall::Rename, ::link(from.c_str(), to.c_str())) == 0) {
        (void)Counted(FileCall::Delete, ::unlink(from.c_str()));
        return Renamed::Yes;
    }
    if (errno == EEXIST) return Renamed::NameTaken;
    // No links either (FAT): the last look must do.
    return Counted(FileCall::Rename, ::rename(from.c_str(), to.c_str())) == 0 ? Renamed::Yes
                                                                              : Renamed::Failed;
}

// ReadRecordFile's checks and read, on the file it opened.
RecordRead ReadOpenRecord(int fd, std::uint32_t owner, std::size_t limit, std::string &bytes) {
    struct stat st {};
    if (Counted(FileCall::Query, ::fstat(fd, &st)) != 0) return RecordRead::Failed;
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > limit)
        return RecordRead::NotOne;
    if (st.st_uid != ::geteuid() && st.st_uid != owner) return RecordRead::Foreign;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    for (std::size_t done = 0; done < bytes.size();) {
        const std::int64_t n = system::ReadSome(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return RecordRead::Failed;
        done += static_cast<std::size_t>(n);
    }
    return RecordRead::Read;
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

bool MayRemove(const char *path) {
    struct stat file {
    }, folder{};
    if (Counted(FileCall::Query, ::lstat(path, &file)) != 0) return false;
    if (file.st_uid == ::geteuid()) return true;
    const std::string in = FolderToOpen(path);
    return Counted(FileCall::Query, ::stat(in.c_str(), &folder)) == 0 &&
           !(folder.st_mode & S_ISVTX) &&
           Counted(FileCall::Query, ::access(in.c_str(), W_OK | X_OK)) == 0;
}

RecordRead ReadRecordFile(const char *path, std::uint32_t owner, std::size_t limit,
                          std::string &bytes) {
    if (fault::Fails(fault::Call::OpenToRead, path)) return RecordRead::Failed;
    // Not through a link: O_NOFOLLOW refuses one with ELOOP.
    const int fd = Counted(FileCall::Open, ::open(path, O_RDONLY | kSafeOpen));
    if (fd < 0)
        return errno == ELOOP        ? RecordRead::NotOne
               : NothingThere(errno) ? RecordRead::Gone
                                     : RecordRead::Failed;
    const RecordRead read = ReadOpenRecord(fd, owner, limit, bytes);
    Counted(FileCall::Close, ::close(fd));
    return read;
}

unsigned WithOwnerAccess(unsigned permissions) { return permissions | kPrivateMode; }

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

std::int64_t Now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

namespace system {

FileLook LookAt(const char *path) {
    struct stat st {};
    if (Counted(FileCall::Query, ::stat(path, &st)) != 0) {
        FileLook look;
        look.presence = NothingThere(errno) ? Presence::Missing : Presence::Unknown;
        return look;
    }
    return LookFrom(st);
}

Opened OpenToRead(const char *path, File &file, FileLook &look) {
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
    look = LookFrom(st);
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

Created CreatePrivate(const std::string &path, unsigned, const std::vector<unsigned char> &,
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
    // Held until the save is over, past its rename (rule 10): a file no one
    // holds was left by a crash. Only a sweep that opened it first can have
    // it; it is then its to remove.
    if (!TryFlock(fd)) {
        Counted(FileCall::Close, ::close(fd));
        return Created::NameTaken;
    }
    file = fd;
    return Created::Yes;
}

bool ReadAccessList(const std::string &, std::vector<unsigned char> &list) {
    list.clear();
    return true;
}

bool GivePermissions(File file, unsigned permissions) {
    // Made with these already; fchmod, unlike open's mode, is not narrowed
    // by the umask.
    if (permissions == 0 || permissions == kPrivateMode)
        return !fault::Fails(fault::Call::CopyPermissions);
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

bool SetWriteTime(File file, std::int64_t time) {
    // Access time untouched, write time set, as the file system keeps it.
    time = Reported(time);
    const timespec times[2] = {{0, UTIME_OMIT}, {time / kTicksPerSecond, time % kTicksPerSecond}};
    return Counted(FileCall::Change, ::futimens(Fd(file), times)) == 0;
}

bool StampOpen(File file, const std::string &, std::int64_t, FileStamp &stamp) {
    struct stat st {};
    if (Counted(FileCall::Query, ::fstat(Fd(file), &st)) != 0) return false;
    stamp = StampFrom(st);
    return true;
}

bool Close(File file) { return Counted(FileCall::Close, ::close(Fd(file))) == 0; }

Renamed Rename(File, const std::string &from, const std::string &to, bool firstCreation) {
    if (firstCreation) return CreateOnly(from, to);
    return Counted(FileCall::Rename, ::rename(from.c_str(), to.c_str())) == 0 ? Renamed::Yes
                                                                              : Renamed::Failed;
}

void FlushFolderOf(const std::string &path) {
    if (fault::Fails(fault::Call::FlushFolder, path.c_str()) || !fault::DiskFlushEnabled()) return;
    // Built on the stack: this runs after the rename, where nothing may throw.
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

bool Remove(const std::string &path) {
    if (fault::Fails(fault::Call::Remove, path.c_str())) return false;
    return Counted(FileCall::Delete, ::unlink(path.c_str())) == 0 || NothingThere(errno);
}

bool FolderTakesFiles(const std::string &path) {
    if (fault::Fails(fault::Call::RefuseTemporary)) return false;
    return Counted(FileCall::Query, ::access(FolderToOpen(path).c_str(), W_OK | X_OK)) == 0;
}

std::vector<std::string> Siblings(const std::string &path, bool regularOnly) {
    std::vector<std::string> found;
    const std::string folder = FolderOf(path);
    const std::string name = path.substr(folder.size());
    const std::unique_ptr<DIR, int (*)(DIR *)> listing(
        Counted(FileCall::List, ::opendir(FolderToOpen(path).c_str())), &::closedir);
    if (!listing) return found;
    while (const dirent *entry = ::readdir(listing.get())) {
        const std::string sibling = entry->d_name;
        if (sibling.size() <= name.size() || sibling.compare(0, name.size(), name) != 0) continue;
        // The listing tells the kind on most file systems; a look where not.
        struct stat st {};
        if (regularOnly && entry->d_type != DT_REG &&
            (entry->d_type != DT_UNKNOWN ||
             Counted(FileCall::Query, ::lstat((folder + sibling).c_str(), &st)) != 0 ||
             !S_ISREG(st.st_mode)))
            continue;
        found.push_back(folder + sibling);
    }
    return found;
}

bool RemoveIfAbandoned(const std::string &path) {
    const int fd = Counted(FileCall::Open, ::open(path.c_str(), O_RDONLY | kSafeOpen));
    if (fd < 0) return true;
    // A save still under way holds its file; so would one that just began.
    struct stat opened {
    }, named{};
    const bool abandoned = TryFlock(fd) && Counted(FileCall::Query, ::fstat(fd, &opened)) == 0 &&
                           Counted(FileCall::Query, ::lstat(path.c_str(), &named)) == 0 &&
                           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
    const bool removed = !abandoned || Remove(path);
    Counted(FileCall::Close, ::close(fd));
    return removed;
}

bool CreateMark(const std::string &path) {
    if (fault::Fails(fault::Call::Mark, path.c_str())) return false;
    const int fd = Counted(FileCall::Create,
                           ::open(path.c_str(), O_WRONLY | O_CREAT | kSafeOpen, kPrivateMode));
    if (fd < 0) return false;
    Counted(FileCall::Close, ::close(fd));
    return true;
}

// The folder, whatever sits beside the history: every copy of every user
// who can read the folder takes the same lock, no file has to be made for
// it, and replacing the history does not change it.
Locking LockHistory(const std::string &history, const char *, File &lock, std::string &on) {
    on = FolderToOpen(history);
    if (fault::Fails(fault::Call::Lock, on.c_str())) return Locking::Busy;
    const int fd = Counted(FileCall::Open, ::open(on.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd < 0) return Locking::Unusable;
    if (!TryFlock(fd)) {
        const int error = errno;
        Counted(FileCall::Close, ::close(fd));
        return error == EWOULDBLOCK ? Locking::Busy : Locking::Unusable;
    }
    lock = fd;
    return Locking::Held;
}

void UnlockHistory(File lock) { Counted(FileCall::Close, ::close(Fd(lock))); }

bool LockForRewrite(File file) { return LockBytes(Fd(file), F_WRLCK); }

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
}  // namespace platform

#endif
