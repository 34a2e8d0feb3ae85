// The platform layer on Windows.
#ifdef _WIN32

#include <windows.h>
// After windows.h, whose types they need.
#include <aclapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"
#include "platform/wide_path.h"

namespace platform {
namespace {

using fault::Counted;
using fault::FileCall;

HANDLE AsHandle(system::File file) { return reinterpret_cast<HANDLE>(file); }

bool NothingThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Another program has the file open without sharing it (a virus scanner, a
// backup, another copy between its writes).
bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Windows hands 64-bit numbers over as two 32-bit halves.
constexpr int kHalfBits = 32;

std::uint64_t Joined(DWORD high, DWORD low) { return (std::uint64_t{high} << kHalfBits) | low; }

// A file time as the 100 ns ticks that stamps are kept in.
std::int64_t Ticks(const FILETIME &time) {
    return static_cast<std::int64_t>(Joined(time.dwHighDateTime, time.dwLowDateTime));
}

// What an open file is, in three cheap queries. GetFileInformationByHandle
// would also read the volume's serial number, which costs a hundred times
// as much under Wine, where it is most of a recording's time; a stamp is
// only compared with one of the same path, so the volume is left at 0.
struct Described {
    FileStamp stamp;
    DWORD attributes = 0;
    DWORD links = 0;
    bool folder = false;
};

// The file's number within its volume, as the system keeps it.
constexpr int kFileInternalInformation = 6;

bool Describe(HANDLE file, Described &described) {
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    LARGE_INTEGER number{};
    IO_STATUS_BLOCK status{};
    if (!Counted(FileCall::Query,
                 ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) ||
        !Counted(FileCall::Query, ::GetFileInformationByHandleEx(file, FileStandardInfo, &standard,
                                                                 sizeof standard)) ||
        Counted(FileCall::Query, ::NtQueryInformationFile(file, &status, &number, sizeof number,
                                                          static_cast<FILE_INFORMATION_CLASS>(
                                                              kFileInternalInformation))) < 0)
        return false;
    described.stamp.writeTime = basic.LastWriteTime.QuadPart;
    described.stamp.fileId = static_cast<std::uint64_t>(number.QuadPart);
    described.stamp.size = standard.EndOfFile.QuadPart;
    described.attributes = basic.FileAttributes;
    described.links = standard.NumberOfLinks;
    described.folder = standard.Directory != 0;
    return true;
}

// A file held for a moment is tried again for about 100 ms: long enough
// for a scanner, a reader or a rewrite in place to let go, short enough not
// to be felt.
constexpr int kRetries = 10;
constexpr DWORD kRetryPauseMs = 10;

// Room for most files' security descriptors; a larger one is read again.
constexpr std::size_t kSecurityBufferSize = 1024;

// The file's bytes, which readers lock shared and a rewrite in place alone
// (rule 11): 2^62 of them from 0.
constexpr DWORD kBytesHigh = 0x40000000;

bool LockRange(HANDLE file, DWORD flags, DWORD offsetHigh, DWORD lengthLow, DWORD lengthHigh) {
    OVERLAPPED at{};
    at.OffsetHigh = offsetHigh;
    return Counted(FileCall::Lock, ::LockFileEx(file, flags | LOCKFILE_FAIL_IMMEDIATELY, 0,
                                                lengthLow, lengthHigh, &at));
}

// The file's bytes, shared or alone, waited for a moment.
bool LockBytes(HANDLE file, bool alone) {
    for (int attempt = 0;; ++attempt) {
        if (LockRange(file, alone ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, 0, kBytesHigh)) return true;
        if (attempt == kRetries) return false;
        ::Sleep(kRetryPauseMs);
    }
}

// The access list a new file needs to stand for the one it replaces: none
// where the old one's comes from the folder alone, which the new file
// inherits the same way.
class AccessListCopy {
public:
    AccessListCopy() = default;
    AccessListCopy(const AccessListCopy &) = delete;  // points into itself
    AccessListCopy &operator=(const AccessListCopy &) = delete;

    // False when the old file's list cannot be read.
    [[nodiscard]] bool ReadFrom(const std::string &path) {
        return Read([&path](PSECURITY_DESCRIPTOR into, DWORD size, DWORD *needed) {
            return ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, into, size, needed);
        });
    }
    // The same through a handle opened with READ_CONTROL: no open of its own.
    [[nodiscard]] bool ReadFrom(HANDLE file) {
        return Read([file](PSECURITY_DESCRIPTOR into, DWORD size, DWORD *needed) {
            return ::GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, into, size, needed);
        });
    }

    // For CreateFile: null where the new file needs no list of its own.
    [[nodiscard]] SECURITY_ATTRIBUTES *Attributes() {
        return attributes_.lpSecurityDescriptor ? &attributes_ : nullptr;
    }

private:
    template <class Query>
    bool Read(Query query) {
        attributes_.lpSecurityDescriptor = nullptr;
        // Read into room of its own, or, for a larger one, memory asked for
        // without an exception, which must not leave the platform layer.
        PSECURITY_DESCRIPTOR read = room_;
        DWORD needed = 0;
        if (!Counted(FileCall::Query, query(read, sizeof room_, &needed))) {
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
            larger_.reset(new (std::nothrow) char[needed]);
            read = larger_.get();
            if (!read || !Counted(FileCall::Query, query(read, needed, &needed))) return false;
        }
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        if (!::GetSecurityDescriptorDacl(read, &present, &dacl, &defaulted)) return false;
        // No list at all (a file system without them): nothing to give.
        if (!present || dacl == nullptr) return true;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        if (!::GetSecurityDescriptorControl(read, &control, &revision)) return false;
        const bool inherits = !(control & SE_DACL_PROTECTED);
        bool ownEntries = false;
        for (DWORD i = 0; i < dacl->AceCount && !ownEntries; ++i) {
            void *entry = nullptr;
            ownEntries = ::GetAce(dacl, i, &entry) &&
                         !(static_cast<ACE_HEADER *>(entry)->AceFlags & INHERITED_ACE);
        }
        if (inherits && !ownEntries) return true;
        // The whole list, protected if it was: the new file then has at
        // least the access the old one had.
        if (!::InitializeSecurityDescriptor(&given_, SECURITY_DESCRIPTOR_REVISION) ||
            !::SetSecurityDescriptorDacl(&given_, TRUE, dacl, FALSE) ||
            (!inherits &&
             !::SetSecurityDescriptorControl(&given_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)))
            return false;
        attributes_.lpSecurityDescriptor = &given_;
        return true;
    }

    alignas(8) char room_[kSecurityBufferSize];
    std::unique_ptr<char[]> larger_;
    SECURITY_DESCRIPTOR given_{};
    SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// What a save's Inspect returns, from a file's attributes and write time.
system::Found FoundBy(DWORD attributes, std::int64_t writeTime) {
    system::Found found{system::Existing::Writable, writeTime, attributes};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        found.kind = system::Existing::NotAFile;
    else if (attributes & FILE_ATTRIBUTE_READONLY)
        found.kind = system::Existing::ReadOnly;
    return found;
}

// StampOf's last look at a file, which a save over that file uses in place
// of two looks of its own by path (its attributes, and its access list,
// read through the same open): each open costs a round trip into the
// system. Used only for the file that bore the stamp the save expects,
// which rule 1 checks again before the rename.
class LastLook {
public:
    // What the last look found at the path, if it saw the file expected.
    static const system::Found *Of(const std::string &path, const FileStamp &expected) {
        const LastLook &last = kept;
        if (!last.valid_ || expected == FileStamp{} || !(expected == last.stamp_) ||
            path.size() != last.length_ || path.compare(0, path.size(), last.path_, last.length_))
            return nullptr;
        return &last.found_;
    }

    // A fresh look at the path through the file, open with READ_CONTROL.
    static void Take(const char *path, HANDLE file, const FileStamp &stamp, DWORD attributes) {
        LastLook &last = kept;
        last.valid_ = false;
        const std::size_t length = std::strlen(path);
        if (length >= sizeof last.path_) return;
        std::memcpy(last.path_, path, length);
        last.length_ = length;
        last.stamp_ = stamp;
        last.found_ = FoundBy(attributes, stamp.writeTime);
        // Unread, the list is read at the save, by path, as without a look.
        last.found_.accessList = last.access_.ReadFrom(file) ? &last.access_ : nullptr;
        last.valid_ = true;
    }
    static void Forget() { kept.valid_ = false; }

private:
    static LastLook kept;
    bool valid_ = false;
    char path_[system::kLongestPath + 1] = {};
    std::size_t length_ = 0;
    FileStamp stamp_;
    system::Found found_;
    AccessListCopy access_;
};
LastLook LastLook::kept;

}  // namespace

bool FileAttributesQueryable(const char *path) {
    if (fault::Fails(fault::Call::FileAttributes, path)) return false;
    // The ANSI call refuses a longer path, which an editor may have opened.
    const DWORD attributes = std::strlen(path) <= system::kLongestPath
                                 ? ::GetFileAttributesA(path)
                                 : ::GetFileAttributesW(LongWidePath(path).c_str());
    return Counted(FileCall::Query, attributes) != INVALID_FILE_ATTRIBUTES;
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

Found Inspect(const std::string &path, const FileStamp &expected) {
    if (const Found *looked = LastLook::Of(path, expected)) return *looked;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Counted(FileCall::Query,
                 ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)))
        return {};
    return FoundBy(data.dwFileAttributes, Ticks(data.ftLastWriteTime));
}

namespace {

// A stamp read without the test hook: for looks that are part of one step.
Presence StampAt(const char *path, FileStamp &stamp) {
    // Attribute access only, so the open never waits for or blocks a reader.
    const HANDLE file =
        Counted(FileCall::Open,
                ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file == INVALID_HANDLE_VALUE)
        return NothingThere(::GetLastError()) ? Presence::Missing : Presence::Unknown;
    Described described;
    const bool ok = Describe(file, described);
    Counted(FileCall::Close, ::CloseHandle(file));
    if (!ok) return Presence::Unknown;
    stamp = described.stamp;
    return Presence::Present;
}

}  // namespace

Presence Stamp(const char *path, FileStamp &stamp) {
    if (fault::Fails(fault::Call::FileStamp, path)) return Presence::Unknown;
    return StampAt(path, stamp);
}

Opened OpenToRead(const char *path, File &file, FileStamp &stamp) {
    if (fault::Fails(fault::Call::OpenToRead, path)) return Opened::Failed;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0;; ++attempt) {
        // Shared for everything, so that reading never refuses a writer.
        handle = Counted(FileCall::Open,
                         ::CreateFileA(path, GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (handle != INVALID_HANDLE_VALUE) break;
        const DWORD error = ::GetLastError();
        if (NothingThere(error)) return Opened::Missing;
        if (!HeldByAnother(error)) return Opened::Failed;
        if (attempt == kRetries) return Opened::Held;
        ::Sleep(kRetryPauseMs);
    }
    Described described;
    // Pipes, consoles and devices are not history files.
    if (Counted(FileCall::Query, ::GetFileType(handle)) != FILE_TYPE_DISK ||
        !Describe(handle, described) || described.folder) {
        Counted(FileCall::Close, ::CloseHandle(handle));
        return Opened::Failed;
    }
    if (!LockBytes(handle, false)) {
        Counted(FileCall::Close, ::CloseHandle(handle));
        return Opened::Held;
    }
    stamp = described.stamp;
    file = reinterpret_cast<File>(handle);
    return Opened::Yes;
}

std::int64_t ReadSome(File file, void *into, std::size_t count) {
    if (fault::Fails(fault::Call::Read)) return -1;
    // ReadFile takes a 32-bit count; callers read in blocks far below it.
    const DWORD chunk = count > MAXDWORD ? MAXDWORD : static_cast<DWORD>(count);
    DWORD read = 0;
    if (!::ReadFile(AsHandle(file), into, chunk, &read, nullptr)) return -1;
    return read;
}

// Made as the old file stands: its attributes and access list are given at
// creation, which costs nothing, where setting them after costs a call each.
// No one else can open the file while it is held (rules 6 and 8).
Created CreatePrivate(const std::string &path, const std::string &replaced, unsigned permissions,
                      const void *accessList, File &file) {
    if (fault::Fails(fault::Call::RefuseTemporary, path.c_str())) return Created::Refused;
    if (fault::Fails(fault::Call::CreateTemporary, path.c_str()) || path.size() > kLongestPath)
        return Created::Failed;
    AccessListCopy read;
    auto *given = static_cast<AccessListCopy *>(const_cast<void *>(accessList));
    if (!replaced.empty() && !given) {
        if (!read.ReadFrom(replaced)) return Created::Failed;
        given = &read;
    }
    // The attributes a user sets on a file.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD kept = permissions & kKept;
    // Shared for deletion alone: no other program can read it, and it can be
    // renamed into place while still open; a sweep's open, which asks to
    // read, is refused while it is.
    const HANDLE handle =
        Counted(FileCall::Create, ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                                                given ? given->Attributes() : nullptr, CREATE_NEW,
                                                kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle == INVALID_HANDLE_VALUE) {
        switch (::GetLastError()) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return Created::NameTaken;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return Created::Refused;
        default: return Created::Failed;
        }
    }
    file = reinterpret_cast<File>(handle);
    return Created::Yes;
}

// Given at creation already.
bool GivePermissions(File, unsigned) { return !fault::Fails(fault::Call::CopyPermissions); }

File OpenToRewrite(const std::string &path) {
    const HANDLE file = Counted(
        FileCall::Open, ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<File>(file);
}

bool WriteAll(File file, const void *bytes, std::size_t size) {
    const char *p = static_cast<const char *>(bytes);
    while (size > 0) {
        // WriteFile takes a 32-bit count: write at most 1 GiB per call.
        constexpr std::size_t kMostPerCall = 0x40000000;
        const DWORD chunk = static_cast<DWORD>(size > kMostPerCall ? kMostPerCall : size);
        DWORD written = 0;
        if (!::WriteFile(AsHandle(file), p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

bool Rewind(File file) {
    return ::SetFilePointer(AsHandle(file), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

bool Truncate(File file, std::uint64_t size) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFilePointerEx(AsHandle(file), position, nullptr, FILE_BEGIN) &&
           Counted(FileCall::Change, ::SetEndOfFile(AsHandle(file)));
}

bool FlushToDisk(File file) {
    return Counted(FileCall::Flush, ::FlushFileBuffers(AsHandle(file))) != 0;
}

std::int64_t Now() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

bool SetWriteTime(File file, std::int64_t time) {
    const auto ticks = static_cast<std::uint64_t>(time);
    const FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> kHalfBits)};
    return Counted(FileCall::Change,
                   ::SetFileTime(AsHandle(file), nullptr, nullptr, &written) != 0);
}

bool StampOpen(File file, FileStamp &stamp) {
    Described described;
    if (!Describe(AsHandle(file), described)) return false;
    stamp = described.stamp;
    return true;
}

bool Close(File file) { return Counted(FileCall::Close, ::CloseHandle(AsHandle(file))) != 0; }

SaveOutcome PutInPlace(File, const std::string &from, const std::string &to,
                       const FileStamp &expected, bool &) {
    if (fault::Fails(fault::Call::Replace, from.c_str())) return SaveOutcome::Failed;
    // First creation: the rename fails if the name has been taken meanwhile.
    const bool first = expected == FileStamp{};
    FileStamp now;
    if (!first && (StampAt(to.c_str(), now) != Presence::Present || !(now == expected)))
        return SaveOutcome::Stale;
    // Windows has no exchange: between that look and the rename is the one
    // window rule 10 names. Another copy reading the file, or a scanner
    // holding it, refuses the replace for a moment: try again for a while.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (first ? 0 : MOVEFILE_REPLACE_EXISTING);
    for (int attempt = 0;; ++attempt) {
        if (Counted(FileCall::Rename, ::MoveFileExA(from.c_str(), to.c_str(), flags)))
            return SaveOutcome::Saved;
        const DWORD error = ::GetLastError();
        if (first && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
            return SaveOutcome::Stale;
        if (attempt == kRetries) return SaveOutcome::Failed;
        ::Sleep(kRetryPauseMs);
    }
}

// MOVEFILE_WRITE_THROUGH has made the rename durable already.
void FlushFolderOf(const std::string &path) {
    (void)fault::Fails(fault::Call::FlushFolder, path.c_str());
}

// Without an exchange, the new file's name is never another's.
bool RemoveOwn(File, const std::string &path) {
    return !fault::Fails(fault::Call::Remove, path.c_str()) &&
           Counted(FileCall::Delete, ::DeleteFileA(path.c_str()));
}

unsigned long ProcessId() { return ::GetCurrentProcessId(); }

// A folder's access list tells whether it takes new files only to a try;
// a save that is refused rewrites the file in place.
bool FolderTakesFiles(const std::string &) { return !fault::Fails(fault::Call::RefuseTemporary); }

std::vector<std::string> Siblings(const std::string &path) {
    std::vector<std::string> found;
    const std::size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    WIN32_FIND_DATAA entry{};
    const HANDLE first = Counted(FileCall::List, ::FindFirstFileA((path + "?*").c_str(), &entry));
    if (first == INVALID_HANDLE_VALUE) return found;
    const std::unique_ptr<void, BOOL(WINAPI *)(HANDLE)> listing(first, &::FindClose);
    do {
        found.push_back(folder + entry.cFileName);
    } while (::FindNextFileA(listing.get(), &entry));
    return found;
}

bool RemoveIfAbandoned(const std::string &path) {
    if (fault::Fails(fault::Call::Remove, path.c_str())) return false;
    // Asks to read: a live save's handle shares nothing but deletion, and
    // refuses it.
    const HANDLE file =
        Counted(FileCall::Open,
                ::CreateFileA(path.c_str(), GENERIC_READ | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file != INVALID_HANDLE_VALUE) {
        fault::Count(FileCall::Delete);  // as it closes
        return Counted(FileCall::Close, ::CloseHandle(file));
    }
    // Refused while a live save holds it; gone already is as good.
    const DWORD error = ::GetLastError();
    return HeldByAnother(error) || NothingThere(error);
}

Locking LockFile(const std::string &path, File &file, bool &marked) {
    if (fault::Fails(fault::Call::Lock, path.c_str()) || path.size() > kLongestPath)
        return Locking::Unusable;
    // Twice at most: a link found at the lock's own name is removed, and
    // the name then made a lock file (rule 4).
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Unshared, so a second copy's open is refused; kept when closed.
        const HANDLE handle = Counted(
            FileCall::Create,
            ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (handle == INVALID_HANDLE_VALUE)
            return HeldByAnother(::GetLastError()) ? Locking::Busy : Locking::Unusable;
        const bool made = ::GetLastError() != ERROR_ALREADY_EXISTS;
        Described described;
        const bool plain =
            Describe(handle, described) && !(described.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (plain && described.links == 1) {
            file = reinterpret_cast<File>(handle);
            // A lock file made now is marked: whoever saved before it may
            // have crashed without one, or it was taken away with its mark.
            // The mark stays until a holder's save has swept.
            if (made) (void)SetSize(file, 1);
            marked = made || described.stamp.size != 0;
            return Locking::Held;
        }
        Counted(FileCall::Close, ::CloseHandle(handle));
        // A file named elsewhere too is not made to carry progress marks.
        if (plain || !Counted(FileCall::Delete, ::DeleteFileA(path.c_str())))
            return Locking::Unusable;
    }
    return Locking::Unusable;
}

Locking LockGuarded(const std::string &path, File &file) {
    if (fault::Fails(fault::Call::Lock, path.c_str())) return Locking::Unusable;
    // A mutex named after the file: it needs no folder that takes files,
    // and, unlike a handle on the file, never keeps it from being replaced.
    // Its owner's death releases it.
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char name[48];
    std::snprintf(name, sizeof name, "Local\\quorvel-%016llx",
                  static_cast<unsigned long long>(hash));
    const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name);
    if (mutex == nullptr) return Locking::Unusable;
    const DWORD waited = ::WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        file = reinterpret_cast<File>(mutex);
        return Locking::Held;
    }
    ::CloseHandle(mutex);
    return waited == WAIT_TIMEOUT ? Locking::Busy : Locking::Unusable;
}

bool LockForRewrite(File file) { return LockBytes(AsHandle(file), true); }

void Unlock(File lock) { Counted(FileCall::Close, ::CloseHandle(AsHandle(lock))); }

void UnlockGuarded(File lock) {
    ::ReleaseMutex(AsHandle(lock));
    ::CloseHandle(AsHandle(lock));
}

bool SetSize(File file, std::uint64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return Counted(FileCall::Change, ::SetFileInformationByHandle(AsHandle(file), FileEndOfFileInfo,
                                                                  &end, sizeof end)) != 0;
}

void Pause(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint64_t Milliseconds() { return ::GetTickCount64(); }

}  // namespace system

// The look before a change, or at the menu: kept for a save that follows.
Presence StampOf(const char *path, FileStamp &stamp) {
    LastLook::Forget();
    if (fault::Fails(fault::Call::FileStamp, path)) return Presence::Unknown;
    // Its access list, which sharing never refuses, besides its attributes.
    const HANDLE file = Counted(
        FileCall::Open,
        ::CreateFileA(path, READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (NothingThere(error)) return Presence::Missing;
        // Not allowed to read the list: a plain look, and the save reads it.
        return error == ERROR_ACCESS_DENIED ? system::StampAt(path, stamp) : Presence::Unknown;
    }
    Described described;
    const bool ok = Describe(file, described);
    if (ok) LastLook::Take(path, file, described.stamp, described.attributes);
    Counted(FileCall::Close, ::CloseHandle(file));
    if (!ok) return Presence::Unknown;
    stamp = described.stamp;
    return Presence::Present;
}

}  // namespace platform

#endif
