// The platform layer on POSIX systems.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {

bool GetFileStamp(const char *path, FileStamp &stamp) {
    struct stat st {};
    if (fault::Fails(fault::Call::FileStamp) || ::stat(path, &st) != 0) return false;
    stamp.writeTime = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    stamp.volume = st.st_dev;
    stamp.fileId = st.st_ino;
    stamp.size = st.st_size;
    return true;
}

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
    // leads to where that file belongs; a loop ends after 40 links.
    for (int depth = 0; depth < 40; ++depth) {
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

Existing Inspect(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Existing::Missing;
    if (!S_ISREG(st.st_mode)) return Existing::NotAFile;
    return (st.st_mode & 0222) == 0 ? Existing::ReadOnly : Existing::Writable;
}

File CreateExclusive(const std::string &path, const std::string &likeFile, bool &nameTaken) {
    struct stat like {};
    const bool keepMode = ::stat(likeFile.c_str(), &like) == 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    nameTaken = fd < 0 && errno == EEXIST;
    // fchmod, unlike open's mode, is not narrowed by the umask.
    if (fd >= 0 && keepMode) (void)::fchmod(fd, like.st_mode & 07777);
    return fd < 0 ? kNoFile : fd;
}

File OpenForRewrite(const std::string &path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return fd < 0 ? kNoFile : fd;
}

bool WriteAll(File file, const void *bytes, std::size_t size) {
    const char *p = static_cast<const char *>(bytes);
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(file), p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FlushToDisk(File file) { return ::fsync(static_cast<int>(file)) == 0; }

bool Close(File file) { return ::close(static_cast<int>(file)) == 0; }

bool Replace(const std::string &from, const std::string &to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void Remove(const std::string &path) { (void)::unlink(path.c_str()); }

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

}  // namespace system
}  // namespace platform

#endif
