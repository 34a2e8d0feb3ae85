// OutsideHold on Windows and on POSIX.
#include "outside_hold.h"

#include <filesystem>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

// Where the plug-in takes the history's lock in the lock file beside it.
constexpr DWORD kLockHigh = 0x7FFFFFF0;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

OutsideHold OutsideHold::Lock(const std::string &history, const std::string &) {
    const HANDLE file =
        ::CreateFileA((history + ".writelock").c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return OutsideHold(kNone);
    OVERLAPPED at{};
    at.OffsetHigh = kLockHigh;
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
        ::CloseHandle(file);
        return OutsideHold(kNone);
    }
    return OutsideHold(reinterpret_cast<std::intptr_t>(file));
}

OutsideHold OutsideHold::Open(const std::string &history) {
    const HANDLE file = ::CreateFileA(history.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return OutsideHold(file == INVALID_HANDLE_VALUE ? kNone
                                                    : reinterpret_cast<std::intptr_t>(file));
}

OutsideHold OutsideHold::Read(const std::string &history) {
    const HANDLE file = ::CreateFileA(history.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return OutsideHold(file == INVALID_HANDLE_VALUE ? kNone
                                                    : reinterpret_cast<std::intptr_t>(file));
}

// Closing lets go of the byte-range lock too.
OutsideHold::~OutsideHold() {
    if (Held()) ::CloseHandle(AsHandle(handle_));
}

#else

OutsideHold OutsideHold::Lock(const std::string &history, const std::string &) {
    const std::string folder = std::filesystem::path(history).parent_path().string();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return OutsideHold(kNone);
    if (::flock(fd, LOCK_EX) != 0) {
        ::close(fd);
        return OutsideHold(kNone);
    }
    return OutsideHold(fd);
}

OutsideHold OutsideHold::Open(const std::string &history) {
    const int fd = ::open(history.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return OutsideHold(kNone);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &whole) != 0) {
        ::close(fd);
        return OutsideHold(kNone);
    }
    return OutsideHold(fd);
}

OutsideHold OutsideHold::Read(const std::string &history) {
    return OutsideHold(::open(history.c_str(), O_RDONLY | O_CLOEXEC));
}

OutsideHold::~OutsideHold() {
    if (Held()) ::close(static_cast<int>(handle_));
}

#endif

OutsideHold::OutsideHold(OutsideHold &&other) noexcept
    : handle_(std::exchange(other.handle_, kNone)) {}
