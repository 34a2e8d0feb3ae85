// Windows: long paths for the wide calls.
#ifdef _WIN32

#include "platform/wide_path.h"

#include <windows.h>

namespace platform {
namespace {

std::wstring FromAnsi(const char *path) {
    const int size = ::MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    if (::MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), size) != size) return {};
    wide.pop_back();  // its NUL
    return wide;
}

// "\\?\" takes a path as it stands: relative parts and slashes are
// resolved here.
std::wstring Full(const std::wstring &path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return {};
    full.resize(length);
    return full;
}

}  // namespace

std::wstring LongWidePath(const char *path) noexcept {
    try {
        const std::wstring full = Full(FromAnsi(path));
        if (full.empty() || full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\"))
            return full;
        if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC" + full.substr(1);
        return L"\\\\?\\" + full;
    } catch (...) {
        return {};  // out of memory: no exception leaves the platform layer
    }
}

}  // namespace platform

#endif
