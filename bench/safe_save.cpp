// SafeSave: CreateFileA, WriteFile, FlushFileBuffers, CloseHandle,
// MoveFileExA; or open, write, fsync, close, rename, fsync of the folder.
// Not the C runtime's stream, which adds calls of its own.
#include "safe_save.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#endif

#ifdef _WIN32

bool SafeSave(const std::string &bytes, const std::string &path) {
    const std::string written = path + ".new";
    const HANDLE file = ::CreateFileA(written.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
        done == bytes.size() && ::FlushFileBuffers(file);
    return ::CloseHandle(file) && ok &&
           ::MoveFileExA(written.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
#else
bool SafeSave(const std::string &bytes, const std::string &path) {
    const std::string written = path + ".new";
    const int file = ::open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0) return false;
    const bool ok =
        ::write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
        ::fsync(file) == 0;
    if (::close(file) != 0 || !ok || std::rename(written.c_str(), path.c_str()) != 0) return false;
    const std::size_t slash = path.rfind('/');
    const int folder = ::open(slash == std::string::npos ? "." : path.substr(0, slash + 1).c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = folder >= 0 && ::fsync(folder) == 0;
    return (folder < 0 || ::close(folder) == 0) && flushed;
}
#endif
