// SafeSave: CreateFileA, WriteFile, FlushFileBuffers, CloseHandle,
// MoveFileExA. Not the C runtime's stream, which adds calls of its own.
#include "safe_save.h"

#include <windows.h>

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
