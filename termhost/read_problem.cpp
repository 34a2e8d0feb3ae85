// Told from the file's type and permissions after the platform's reader
// refused it or failed: the reader itself says only that it did.
#include "termhost/read_problem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace termhost {

std::string ReadProblem(const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return "a folder, not a file";
    if (S_ISFIFO(info.st_mode)) return "a named pipe (FIFO), not a file";
    if (S_ISSOCK(info.st_mode)) return "a socket, not a file";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "a device, not a file";
    if (!S_ISREG(info.st_mode)) return "not a regular file";
    if (::access(path.c_str(), R_OK) != 0) return std::strerror(errno);
    return "it could not be read to its end";
}

}  // namespace termhost
