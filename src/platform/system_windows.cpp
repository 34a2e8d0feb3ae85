// The platform layer on Windows.
#ifdef _WIN32

#include <windows.h>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {
namespace {

HANDLE AsHandle(system::File file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

bool GetFileStamp(const char *path, FileStamp &stamp) {
    if (fault::Fails(fault::Call::FileStamp)) return false;
    // Attribute access only, so the open never waits for or blocks a reader.
    const HANDLE file = ::CreateFileA(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    if (!ok) return false;
    stamp.writeTime = static_cast<std::int64_t>(
        (std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime);
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.fileId = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    stamp.size = static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    return true;
}

bool FileAttributesQueryable(const char *path) {
    return !fault::Fails(fault::Call::FileAttributes) &&
           ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int ConsoleBufferRows() {
    if (const auto rows = fault::ConsoleRowsOverride()) return *rows;
    if (fault::Fails(fault::Call::ConsoleRows)) return -1;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info)) return -1;
    return info.dwSize.Y > 0 ? info.dwSize.Y : -1;
}

namespace system {

std::string ResolveLinks(const char *path) { return path; }

Existing Inspect(const std::string &path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Existing::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Existing::NotAFile;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? Existing::ReadOnly : Existing::Writable;
}

File CreateExclusive(const std::string &path, const std::string &, bool &nameTaken) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    nameTaken = file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS;
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(file);
}

File OpenForRewrite(const std::string &path) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(file);
}

bool WriteAll(File file, const void *bytes, std::size_t size) {
    const char *p = static_cast<const char *>(bytes);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(AsHandle(file), p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

bool FlushToDisk(File file) { return ::FlushFileBuffers(AsHandle(file)) != 0; }

bool Close(File file) { return ::CloseHandle(AsHandle(file)) != 0; }

bool Replace(const std::string &from, const std::string &to) {
    // Another copy reading the file, or a scanner holding it, refuses the
    // replace for a moment: try again for about 100 ms.
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (attempt == 10) return false;
        ::Sleep(10);
    }
}

void Remove(const std::string &path) { (void)::DeleteFileA(path.c_str()); }

unsigned long ProcessId() { return ::GetCurrentProcessId(); }

}  // namespace system
}  // namespace platform

#endif
