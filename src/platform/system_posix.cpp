// The platform layer on POSIX systems.
#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {
namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1000000000;

// Made with read and write for all, narrowed by the umask as any new file is.
constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;

// The mode bits chmod sets: permissions, set-id and sticky bits.
constexpr mode_t kChmodBits = 07777;

int Fd(system::File file) { return static_cast<int>(file); }

// A time as the nanoseconds since the epoch that stamps are kept in.
std::int64_t Nanoseconds(const timespec &time) {
    return std::int64_t{time.tv_sec} * kNanosecondsPerSecond + time.tv_nsec;
}

void FillStamp(const struct stat &st, FileStamp &stamp) {
    stamp.writeTime = Nanoseconds(st.st_mtim);
    stamp.volume = st.st_dev;
    stamp.fileId = st.st_ino;
    stamp.size = st.st_size;
}

bool SameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Everything but a vanished path or a vanished folder is an unknown state.
bool NothingThere(int error) { return error == ENOENT || error == ENOTDIR; }

// Gives a new file the permissions of the file it is to replace. fchmod,
// unlike open's mode, is not narrowed by the umask. Should it fail, the
// history could end up readable by more users than before.
bool CopyPermissions(int fd, const system::Found &replaced) {
    return replaced.kind == system::Existing::Missing ||
           (!fault::Fails(fault::Call::CopyPermissions) && ::fchmod(fd, replaced.permissions) == 0);
}

}  // namespace

bool FileAttributesQueryable(const char *path) {
    struct stat st {};
    return !fault::Fails(fault::Call::FileAttributes) && ::stat(path, &st) == 0;
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
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::vector<char> link(PATH_MAX + 1);
        const ssize_t n = ::readlink(target.c_str(), link.data(), PATH_MAX);
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

Found Inspect(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
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
    if (fault::Fails(fault::Call::FileStamp)) return Presence::Unknown;
    if (::stat(path, &st) != 0) return NothingThere(errno) ? Presence::Missing : Presence::Unknown;
    FillStamp(st, stamp);
    return Presence::Present;
}

Opened OpenToRead(const char *path, File &file, FileStamp &stamp) {
    if (fault::Fails(fault::Call::OpenToRead)) return Opened::Failed;
    // Non-blocking, so a FIFO in the file's place cannot hang the host.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NothingThere(errno) ? Opened::Missing : Opened::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Opened::Failed;
    }
    FillStamp(st, stamp);
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

Created CreateExclusive(const std::string &path, const Found &replaced, File &file) {
    if (fault::Fails(fault::Call::RefuseTemporary)) return Created::Refused;
    if (fault::Fails(fault::Call::CreateTemporary)) return Created::Failed;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0) {
        if (errno == EEXIST) return Created::NameTaken;
        return errno == EACCES || errno == EPERM || errno == EROFS ? Created::Refused
                                                                   : Created::Failed;
    }
    // Held while the save lasts: a file no one holds was left by a crash.
    // Only a sweep that opened it first can have it; it is then its to remove.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return Created::NameTaken;
    }
    if (!CopyPermissions(fd, replaced)) {
        ::close(fd);
        ::unlink(path.c_str());
        return Created::Failed;
    }
    file = fd;
    return Created::Yes;
}

Created TakeLockFile(File lock, const Found &replaced) {
    if (fault::Fails(fault::Call::RefuseTemporary)) return Created::Refused;
    if (fault::Fails(fault::Call::CreateTemporary)) return Created::Failed;
    return CopyPermissions(Fd(lock), replaced) ? Created::Yes : Created::Failed;
}

File OpenToRewrite(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    return fd < 0 ? kNoFile : fd;
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
           ::ftruncate(Fd(file), static_cast<off_t>(size)) == 0;
}

bool FlushToDisk(File file) { return ::fsync(Fd(file)) == 0; }

std::int64_t Now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

bool SetWriteTime(File file, std::int64_t time) {
    // Access time untouched, write time set.
    const timespec times[2] = {{0, UTIME_OMIT},
                               {time / kNanosecondsPerSecond, time % kNanosecondsPerSecond}};
    return ::futimens(Fd(file), times) == 0;
}

bool StampOpen(File file, FileStamp &stamp) {
    struct stat st {};
    if (::fstat(Fd(file), &st) != 0) return false;
    FillStamp(st, stamp);
    return true;
}

bool Close(File file) { return ::close(Fd(file)) == 0; }

bool Replace(const std::string &from, const std::string &to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void FlushFolderOf(const std::string &path) {
    // Built on the stack: this runs after the swap, where nothing may throw.
    char folder[PATH_MAX] = ".";
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos) {
        if (slash + 1 >= sizeof folder) return;
        path.copy(folder, slash + 1);
        folder[slash + 1] = '\0';
    }
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // Some file systems cannot flush a folder; the rename stands all the same.
    (void)::fsync(fd);
    ::close(fd);
}

void Remove(const std::string &path) { (void)::unlink(path.c_str()); }

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

bool FolderTakesFiles(const std::string &path) {
    if (fault::Fails(fault::Call::RefuseTemporary)) return false;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::vector<std::string> Siblings(const std::string &path) {
    std::vector<std::string> found;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size());
    const std::unique_ptr<DIR, int (*)(DIR *)> listing(
        ::opendir(folder.empty() ? "." : folder.c_str()), &::closedir);
    if (!listing) return found;
    while (const dirent *entry = ::readdir(listing.get())) {
        const std::string sibling = entry->d_name;
        if (sibling.size() > name.size() && sibling.compare(0, name.size(), name) == 0)
            found.push_back(folder + sibling);
    }
    return found;
}

void RemoveIfAbandoned(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat opened {};
    struct stat named {};
    // A save still under way holds its file; so would one that just began.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        ::lstat(path.c_str(), &named) == 0 && SameFile(opened, named) &&
        !fault::Fails(fault::Call::Remove))
        ::unlink(path.c_str());
    ::close(fd);
}

File TryLock(const std::string &path, bool &busy, bool &carries) {
    busy = false;
    carries = false;
    if (fault::Fails(fault::Call::Lock)) return kNoFile;
    // Writable, so that a save can write into it; read-only is enough to
    // lock, so other users sharing the folder can lock too.
    constexpr int kFlags = O_CREAT | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDWR | kFlags, kNewFileMode);
    const bool writable = fd >= 0;
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | kFlags, kNewFileMode);
    if (fd < 0) {
        busy = errno == EINTR;
        return kNoFile;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        busy = errno == EWOULDBLOCK || errno == EINTR;
        ::close(fd);
        return kNoFile;
    }
    // The holder before us removes the file as it lets go: a lock on a file
    // that is no longer at the path guards nothing.
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || ::lstat(path.c_str(), &named) != 0 ||
        !SameFile(opened, named)) {
        ::close(fd);
        busy = true;
        return kNoFile;
    }
    // Only an empty file of this user's, named nowhere else, may become the
    // history: a crash can leave bytes in it, another user would own it.
    carries = writable && S_ISREG(opened.st_mode) && opened.st_size == 0 && opened.st_nlink == 1 &&
              opened.st_uid == ::geteuid();
    return fd;
}

void Unlock(File file, const std::string &path) {
    // Removed while still held, so no one locks a file on its way out.
    ::unlink(path.c_str());
    ::close(Fd(file));
}

}  // namespace system

Presence StampOf(const char *path, FileStamp &stamp) { return system::Stamp(path, stamp); }

}  // namespace platform

#endif
