// The file's type is checked before it is opened, and again on what was
// opened, in case it was swapped in between.
#include "termhost/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace termhost {
namespace {

// What a file that is not a regular one is, in a few words.
std::string NotAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder, not a file";
    if (S_ISFIFO(mode)) return "a named pipe (FIFO), not a file";
    if (S_ISSOCK(mode)) return "a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a file";
    return "not a regular file";
}

}  // namespace

RegularFile::RegularFile(const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        // A link whose target is gone is missing too (ENOENT as well).
        const int error = errno;
        missing_ = error == ENOENT;
        if (!missing_) problem_ = std::strerror(error);
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        problem_ = NotAFile(info.st_mode);
        return;
    }
    // Non-blocking as a second guard: a pipe swapped in since the check
    // then reads as empty instead of waiting.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        problem_ = std::strerror(errno);
        return;
    }
    if (::fstat(fd, &info) != 0) {
        problem_ = std::strerror(errno);
        ::close(fd);
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        problem_ = NotAFile(info.st_mode);
        ::close(fd);
        return;
    }
    fd_ = fd;
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

long RegularFile::Read(char *bytes, unsigned long size) {
    for (;;) {
        const ssize_t n = ::read(fd_, bytes, size);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        problem_ = std::strerror(errno);
        return -1;
    }
}

}  // namespace termhost
