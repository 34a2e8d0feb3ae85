// Windows: paths between the code page of file names and the wide calls.
#ifdef _WIN32

#include "platform/wide_path.h"

#include <windows.h>
// After windows.h, whose types it needs.
#include <ntdef.h>

#include <cstring>

#include "platform/code_page.h"
#include "platform/system.h"

namespace platform {
namespace {

std::wstring FromAnsi(const char *path) {
    const UINT codePage = FileNameCodePage();
    const int size = ::MultiByteToWideChar(codePage, 0, path, -1, nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    if (::MultiByteToWideChar(codePage, 0, path, -1, wide.data(), size) != size) return {};
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

std::string NarrowPath(std::wstring_view path) {
    const UINT codePage = FileNameCodePage();
    const int length = static_cast<int>(path.size());
    char narrow[system::kLongestPath];
    wchar_t back[system::kLongestPath];
    // Converted there and back: best fits and default characters differ.
    const int size = ::WideCharToMultiByte(codePage, 0, path.data(), length, narrow, sizeof narrow,
                                           nullptr, nullptr);
    if (size <= 0 || ::MultiByteToWideChar(codePage, 0, narrow, size, back, size) != length ||
        path != std::wstring_view(back, path.size()))
        return {};
    return std::string(narrow, static_cast<std::size_t>(size));
}

std::wstring UsualForm(std::wstring_view path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\" + std::wstring(path.substr(7));
    if (path.starts_with(L"\\\\?\\") && path.size() > 6 && path[5] == L':' && path[6] == L'\\')
        return std::wstring(path.substr(4));
    return {};
}

std::wstring LinkTarget(std::wstring_view link, const void *data, std::size_t size) {
    constexpr std::size_t kNamesAt =
        offsetof(REPARSE_DATA_BUFFER, SymbolicLinkReparseBuffer.PathBuffer);
    REPARSE_DATA_BUFFER head;
    if (size < kNamesAt) return {};
    std::memcpy(&head, data, kNamesAt);
    const auto &names = head.SymbolicLinkReparseBuffer;
    const std::size_t at = kNamesAt + names.SubstituteNameOffset;
    if (head.ReparseTag != IO_REPARSE_TAG_SYMLINK || names.SubstituteNameLength == 0 ||
        at + names.SubstituteNameLength > size)
        return {};
    std::wstring target(names.SubstituteNameLength / sizeof(wchar_t), L'\0');
    std::memcpy(target.data(), static_cast<const char *>(data) + at,
                target.size() * sizeof(wchar_t));
    if (names.Flags & SYMLINK_FLAG_RELATIVE)
        return std::wstring(link.substr(0, link.find_last_of(L"\\/") + 1)) + target;
    // An absolute one in the system's own form: \??\C:\... or \??\UNC\server\...
    if (!target.starts_with(L"\\??\\")) return {};
    target[1] = L'\\';
    return UsualForm(target);
}

}  // namespace platform

#endif
