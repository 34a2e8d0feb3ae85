// The platform layer on Windows.
#ifdef _WIN32

#include <windows.h>
// After windows.h, whose types they need.
#include <aclapi.h>
#include <winternl.h>

#include <cstring>
#include <memory>
#include <optional>

#include "platform/code_page.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"
#include "platform/wide_path.h"

// A file's times, size and attributes by its path, in one call that opens
// nothing; ntdll has it since NT 4, the headers leave it out.
extern "C" NTSTATUS NTAPI NtQueryFullAttributesFile(POBJECT_ATTRIBUTES attributes,
                                                    PFILE_NETWORK_OPEN_INFORMATION information);

namespace platform {
namespace {

using fault::Counted;
using fault::FileCall;

HANDLE AsHandle(system::File file) { return reinterpret_cast<HANDLE>(file); }

bool NothingThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Another program has the file open without sharing it (a virus scanner, a
// backup, a viewer).
bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// What a plain file has none of: a folder, a device, a link or another
// reparse point.
constexpr DWORD kNotPlain =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT;

// Windows hands 64-bit numbers over as two 32-bit halves.
constexpr int kHalfBits = 32;

// The same times, size and attributes from a look by path and from an open
// file, so that the two make equal stamps.
FileLook LookFrom(const FILE_NETWORK_OPEN_INFORMATION &info) {
    FileLook look;
    look.presence = Presence::Present;
    look.stamp.writeTime = system::Reported(info.LastWriteTime.QuadPart);
    look.stamp.changeTime = system::Reported(info.ChangeTime.QuadPart);
    look.stamp.size = info.EndOfFile.QuadPart;
    look.permissions = info.FileAttributes;
    look.regular = !(info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
    look.readOnly = (info.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return look;
}

// An open file's look, as LookFrom makes it from a look by path. Not
// NtQueryInformationFile's FILE_NETWORK_OPEN_INFORMATION: Wine answers that
// by the name the file was opened with, which a rename takes away. The size
// is read unless known (>= 0).
bool Describe(HANDLE file, FileLook &look, std::int64_t knownSize = -1) {
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!Counted(FileCall::Query,
                 ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)))
        return false;
    if (knownSize < 0 &&
        !Counted(FileCall::Query, ::GetFileInformationByHandleEx(file, FileStandardInfo, &standard,
                                                                 sizeof standard)))
        return false;
    FILE_NETWORK_OPEN_INFORMATION info{};
    info.LastWriteTime = basic.LastWriteTime;
    info.ChangeTime = basic.ChangeTime;
    info.EndOfFile.QuadPart = knownSize < 0 ? standard.EndOfFile.QuadPart : knownSize;
    info.FileAttributes =
        basic.FileAttributes | (standard.Directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
    look = LookFrom(info);
    return true;
}

// Whether the path is on another computer's volume (a network share, a
// drive mapped to one), whose client may answer a look by path from a
// cache, for seconds: there a look goes through an opened file, and a stamp
// carries the file's id, so that a replaced file of the same size and times
// still differs. Drive letters are asked once each.
bool Remote(const char *path) {
    if (fault::RemoteVolumes()) return true;
    if (path[0] == '\\' && path[1] == '\\')
        return !(path[2] == '?' || path[2] == '.') || std::strncmp(path, "\\\\?\\UNC\\", 8) == 0;
    static signed char drives[26] = {};  // 0 not asked yet, 1 remote, -1 not
    const char letter = static_cast<char>(path[0] | 0x20);
    if (letter < 'a' || letter > 'z' || path[1] != ':') return false;
    signed char &drive = drives[letter - 'a'];
    if (drive == 0) {
        const char root[] = {path[0], ':', '\\', '\0'};
        drive = Counted(FileCall::Query, ::GetDriveTypeA(root)) == DRIVE_REMOTE ? 1 : -1;
    }
    return drive > 0;
}

// The open file's volume and id, into its stamp.
bool IdentifyOpen(HANDLE file, FileStamp &stamp) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Counted(FileCall::Query, ::GetFileInformationByHandle(file, &info))) return false;
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.fileId = (std::uint64_t{info.nFileIndexHigh} << kHalfBits) | info.nFileIndexLow;
    return true;
}

// A look at a remote path: through the file, opened for its attributes
// alone, as shared as can be.
FileLook LookThroughOpenFile(const char *path) {
    FileLook look;
    look.presence = Presence::Unknown;
    const HANDLE file = Counted(
        FileCall::Open, ::CreateFileA(path, FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file == INVALID_HANDLE_VALUE) {
        if (NothingThere(::GetLastError())) look.presence = Presence::Missing;
        return look;
    }
    FileLook seen;
    if (Describe(file, seen) && IdentifyOpen(file, seen.stamp)) look = seen;
    Counted(FileCall::Close, ::CloseHandle(file));
    return look;
}

// NTSTATUS values for a name that leads nowhere.
constexpr NTSTATUS kNoSuchName = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kNoSuchPath = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kNoSuchFile = static_cast<NTSTATUS>(0xC000000F);

// A file held for a moment is tried again for about 100 ms: long enough
// for a scanner, a reader or a rewrite in place to let go, short enough not
// to be felt.
constexpr int kRetries = 10;
constexpr DWORD kRetryPauseMs = 10;

// What a file system answers when it takes no access list, or not this one.
bool ListRefused(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_PRIVILEGE_NOT_HELD ||
           error == ERROR_INVALID_OWNER || error == ERROR_INVALID_SECURITY_DESCR ||
           error == ERROR_NOT_SUPPORTED;
}

// Room for most files' security descriptors; a larger one is read again.
constexpr DWORD kSecurityBufferSize = 1024;

// The file's bytes, which readers lock shared and a rewrite in place alone
// (rule 9): 2^62 of them from 0.
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

// The history's lock (rule 1) is one byte, far beyond the end of a file that
// no reader ever reads that far: the lock file beside the history, which
// every copy opens at its first change and keeps open, sharing reading and
// writing but not deletion, so that no one can remove or replace it while
// any copy runs. Every copy of one history so takes one lock, whatever
// library file it was loaded from (an upgrade under running hosts; two
// installs linked to one history) and, on a network share, whichever
// computer it runs on.
constexpr DWORD kHistoryLockHigh = 0x7FFFFFF0;
constexpr char kLockFileSuffix[] = ".writelock";

// A file opened once and kept, shared as `share` says.
class KeptHandle {
public:
    KeptHandle() = default;
    KeptHandle(const KeptHandle &) = delete;
    KeptHandle &operator=(const KeptHandle &) = delete;
    ~KeptHandle() { Close(); }

    // The file's handle, opened (or made, `disposition` allowing) now if it
    // is not yet. Busy: another program keeps the file to itself for now.
    system::Locking Open(const std::string &path, DWORD share, DWORD disposition, HANDLE &handle) {
        if (path != path_) Close();
        if (handle_ == INVALID_HANDLE_VALUE) {
            handle_ = Counted(FileCall::Open, ::CreateFileA(path.c_str(), GENERIC_READ, share,
                                                            nullptr, disposition, 0, nullptr));
            if (handle_ == INVALID_HANDLE_VALUE)
                return HeldByAnother(::GetLastError()) ? system::Locking::Busy
                                                       : system::Locking::Unusable;
            path_ = path;
        }
        handle = handle_;
        return system::Locking::Held;
    }
    [[nodiscard]] bool Is(HANDLE handle) const { return handle == handle_; }
    void Close() {
        if (handle_ != INVALID_HANDLE_VALUE) Counted(FileCall::Close, ::CloseHandle(handle_));
        handle_ = INVALID_HANDLE_VALUE;
        path_.clear();
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string path_;
};
KeptHandle lockFile, library;
// The lock file's file system keeps no byte-range lock (WebDAV, some
// shared folders of virtual machines): the file itself is the lock then.
bool byteLocksRefused = false;

// The rename by handle's request, as Windows 10 1607 lays it out (the
// headers give it only to programs for that system and later).
struct RenameRequest {
    DWORD flags;
    HANDLE root;
    DWORD nameBytes;
    WCHAR name[system::kLongestPath + 1];
};
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kReplaceIfExists = 0x1, kPosixSemantics = 0x2;
bool posixRename = true;  // until the system says it has no such rename

// Renames the open new file over `to` with POSIX semantics, holding a handle
// on `to` that shares no writing across it: a program that has the history
// open for writing makes that open fail (rule 7), and none can open it so
// until the rename is done; readers, who share deletion as this copy's own
// reads do, stay. nullopt where the system has no such rename.
std::optional<system::Renamed> RenameOverReaders(HANDLE file, const std::string &to) {
    RenameRequest request{kReplaceIfExists | kPosixSemantics, nullptr, 0, {}};
    const int length = ::MultiByteToWideChar(FileNameCodePage(), MB_ERR_INVALID_CHARS, to.c_str(),
                                             -1, request.name, std::size(request.name));
    if (length <= 0) return std::nullopt;
    request.nameBytes = static_cast<DWORD>((length - 1) * sizeof(WCHAR));
    const HANDLE held = Counted(
        FileCall::Open, ::CreateFileA(to.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (held == INVALID_HANDLE_VALUE)
        return HeldByAnother(::GetLastError()) ? system::Renamed::Refused : system::Renamed::Failed;
    const bool renamed =
        Counted(FileCall::Rename, ::SetFileInformationByHandle(file, kFileRenameInfoEx, &request,
                                                               sizeof request)) != 0;
    const DWORD error = ::GetLastError();
    Counted(FileCall::Close, ::CloseHandle(held));
    if (renamed) {
        // Its record on disk before the save is reported, as a rename
        // written through would have it; the rename stands either way.
        (void)Counted(FileCall::Flush, ::FlushFileBuffers(file));
        return system::Renamed::Yes;
    }
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
        error == ERROR_INVALID_FUNCTION)
        return std::nullopt;
    return HeldByAnother(error) || error == ERROR_ACCESS_DENIED ? system::Renamed::Refused
                                                                : system::Renamed::Failed;
}

// The path as the wide call takes it, from the code page ANSI calls use.
bool Widen(const char *path, wchar_t (&wide)[system::kLongestPath + 1]) {
    return ::MultiByteToWideChar(FileNameCodePage(), MB_ERR_INVALID_CHARS, path, -1, wide,
                                 static_cast<int>(std::size(wide))) > 0;
}

// Where the symbolic link at the path leads, read from the link itself;
// empty where the path names no link.
std::wstring ReadLink(const std::wstring &path) {
    const HANDLE link = Counted(
        FileCall::Open,
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (link == INVALID_HANDLE_VALUE) return {};
    alignas(8) unsigned char data[MAXIMUM_REPARSE_DATA_BUFFER_SIZE];
    DWORD size = 0;
    const bool read =
        Counted(FileCall::Query, ::DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, data,
                                                   sizeof data, &size, nullptr));
    Counted(FileCall::Close, ::CloseHandle(link));
    return read ? LinkTarget(path, data, size) : std::wstring();
}

// A link to a file not made yet leads the system nowhere; followed link by
// link, as on POSIX, it leads to where that file belongs. Windows follows
// at most 63 links in one lookup: more is a loop.
std::string WhereLinksLead(const char *path) {
    constexpr int kMostLinks = 63;
    wchar_t wide[system::kLongestPath + 1];
    if (!Widen(path, wide)) return path;
    std::wstring target = wide;
    for (int depth = 0; depth < kMostLinks; ++depth) {
        std::wstring next = ReadLink(target);
        if (next.empty()) {
            if (depth == 0) return path;
            const std::string narrow = NarrowPath(target);
            return narrow.empty() ? path : narrow;
        }
        target = std::move(next);
    }
    return path;
}

// ReadRecordFile's checks and read, on the file it opened.
RecordRead ReadOpenRecord(HANDLE file, std::size_t limit, std::string &bytes) {
    FileLook look;  // its permissions: the attributes, a reparse point's mark among them
    if (!Describe(file, look)) return RecordRead::Failed;
    if ((look.permissions & kNotPlain) != 0 || ::GetFileType(file) != FILE_TYPE_DISK ||
        static_cast<std::uint64_t>(look.stamp.size) > limit)
        return RecordRead::NotOne;
    bytes.resize(static_cast<std::size_t>(look.stamp.size));
    for (std::size_t done = 0; done < bytes.size();) {
        const std::int64_t n = system::ReadSome(reinterpret_cast<system::File>(file),
                                                bytes.data() + done, bytes.size() - done);
        if (n <= 0) return RecordRead::Failed;
        done += static_cast<std::size_t>(n);
    }
    return RecordRead::Read;
}

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

// The system's own name for the file the path opens, links followed, in
// the usual form. Asked for in wide characters: the ANSI call gives those
// its code page lacks as '?' or look-alikes, a path that opens nothing.
std::string ResolveLinks(const char *path) {
    const HANDLE file =
        Counted(FileCall::Open,
                ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file == INVALID_HANDLE_VALUE)
        return NothingThere(::GetLastError()) ? WhereLinksLead(path) : path;
    wchar_t final[system::kLongestPath + 16];
    const DWORD length =
        Counted(FileCall::Query,
                ::GetFinalPathNameByHandleW(file, final, std::size(final), VOLUME_NAME_DOS));
    Counted(FileCall::Close, ::CloseHandle(file));
    if (length == 0 || length >= std::size(final)) return path;
    const std::string narrow = NarrowPath(UsualForm({final, length}));
    return narrow.empty() ? path : narrow;
}

bool MayRemove(const char *) { return true; }

RecordRead ReadRecordFile(const char *path, std::uint32_t, std::size_t limit, std::string &bytes) {
    if (fault::Fails(fault::Call::OpenToRead, path)) return RecordRead::Failed;
    // The link or reparse point itself, never what it leads to.
    const HANDLE file =
        Counted(FileCall::Open,
                ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file == INVALID_HANDLE_VALUE)
        return NothingThere(::GetLastError()) ? RecordRead::Gone : RecordRead::Failed;
    const RecordRead read = ReadOpenRecord(file, limit, bytes);
    Counted(FileCall::Close, ::CloseHandle(file));
    return read;
}

unsigned WithOwnerAccess(unsigned permissions) { return permissions & ~FILE_ATTRIBUTE_READONLY; }

unsigned long ProcessId() { return ::GetCurrentProcessId(); }

std::int64_t Now() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << kHalfBits) |
                                     now.dwLowDateTime);
}

namespace system {

FileLook LookAt(const char *path) {
    if (Remote(path)) return LookThroughOpenFile(path);
    FileLook look;
    look.presence = Presence::Unknown;
    wchar_t wide[kLongestPath + 1];
    UNICODE_STRING name{};
    if (!Widen(path, wide) || !::RtlDosPathNameToNtPathName_U(wide, &name, nullptr, nullptr))
        return look;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    FILE_NETWORK_OPEN_INFORMATION info{};
    const NTSTATUS status =
        Counted(FileCall::Query, ::NtQueryFullAttributesFile(&attributes, &info));
    ::RtlFreeUnicodeString(&name);
    if (status >= 0) return LookFrom(info);
    if (status == kNoSuchName || status == kNoSuchPath || status == kNoSuchFile)
        look.presence = Presence::Missing;
    return look;
}

Opened OpenToRead(const char *path, File &file, FileLook &look) {
    if (fault::Fails(fault::Call::OpenToRead, path)) return Opened::Failed;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0;; ++attempt) {
        // Sharing no write access: a program that has the file open for
        // writing makes this fail, and so shows that it is writing it now
        // (rule 7). Held only while it reads, so another program's open for
        // writing is refused for no longer.
        handle = Counted(FileCall::Open,
                         ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (handle != INVALID_HANDLE_VALUE) break;
        const DWORD error = ::GetLastError();
        if (NothingThere(error)) return Opened::Missing;
        if (!HeldByAnother(error)) return Opened::Failed;
        if (attempt == kRetries) return Opened::Held;
        ::Sleep(kRetryPauseMs);
    }
    // Pipes, consoles and devices are not history files.
    if (Counted(FileCall::Query, ::GetFileType(handle)) != FILE_TYPE_DISK ||
        !Describe(handle, look) || !look.regular ||
        (Remote(path) && !IdentifyOpen(handle, look.stamp))) {
        Counted(FileCall::Close, ::CloseHandle(handle));
        return Opened::Failed;
    }
    if (!LockBytes(handle, false)) {
        Counted(FileCall::Close, ::CloseHandle(handle));
        return Opened::Held;
    }
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
// No one else can open the file while it is held (rules 6 and 10).
Created CreatePrivate(const std::string &path, unsigned permissions,
                      const std::vector<unsigned char> &accessList, File &file) {
    if (fault::Fails(fault::Call::RefuseTemporary, path.c_str())) return Created::Refused;
    if (fault::Fails(fault::Call::CreateTemporary, path.c_str()) || path.size() > kLongestPath)
        return Created::Failed;
    // A self-relative descriptor, as ReadAccessList made it; read-only to
    // CreateFile, which takes it through a pointer to non-const.
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES),
                                 const_cast<unsigned char *>(accessList.data()), FALSE};
    // The attributes a user sets on a file.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD kept = permissions & kKept;
    // Shared for deletion alone: no other program can read it, and it can be
    // renamed into place while still open, by this handle too; a sweep's
    // open, which asks to read, is refused while it is. Its attributes are
    // read once in place.
    const auto create = [&](bool withList) {
        return Counted(FileCall::Create,
                       ::CreateFileA(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE,
                                     FILE_SHARE_DELETE, withList ? &security : nullptr, CREATE_NEW,
                                     kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (accessList.empty() || !fault::Fails(fault::Call::AccessList, path.c_str()))
        handle = create(!accessList.empty());
    else
        ::SetLastError(ERROR_ACCESS_DENIED);
    // A network share may refuse the list where it takes the file: the file
    // then has its folder's permissions, as a first creation has, rather
    // than the history being rewritten in place, the one save a crash can cut.
    if (handle == INVALID_HANDLE_VALUE && !accessList.empty() && ListRefused(::GetLastError()))
        handle = create(false);
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

// Only what the new file would not inherit from the folder is kept: the
// whole list, protected if it was, where the file has entries of its own or
// takes none from the folder. The new file then has at least the access the
// old one had.
bool ReadAccessList(const std::string &path, std::vector<unsigned char> &list) {
    list.clear();
    alignas(8) char room[kSecurityBufferSize];
    std::unique_ptr<char[]> larger;
    PSECURITY_DESCRIPTOR read = room;
    DWORD needed = 0;
    if (!Counted(FileCall::Query, ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, read,
                                                     sizeof room, &needed))) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        larger.reset(new char[needed]);
        read = larger.get();
        if (!Counted(FileCall::Query, ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION,
                                                         read, needed, &needed)))
            return false;
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
    SECURITY_DESCRIPTOR given{};
    if (!::InitializeSecurityDescriptor(&given, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&given, TRUE, dacl, FALSE) ||
        (!inherits &&
         !::SetSecurityDescriptorControl(&given, SE_DACL_PROTECTED, SE_DACL_PROTECTED)))
        return false;
    DWORD size = 0;
    (void)::MakeSelfRelativeSD(&given, nullptr, &size);
    list.resize(size);
    if (::MakeSelfRelativeSD(&given, list.data(), &size)) return true;
    list.clear();
    return false;
}

// Given at creation already.
bool GivePermissions(File, unsigned) { return !fault::Fails(fault::Call::CopyPermissions); }

File OpenToRewrite(const std::string &path) {
    // A reader shares no write access: it is waited for a moment.
    for (int attempt = 0;; ++attempt) {
        const HANDLE file =
            Counted(FileCall::Open,
                    ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file != INVALID_HANDLE_VALUE) return reinterpret_cast<File>(file);
        if (!HeldByAnother(::GetLastError()) || attempt == kRetries) return kNoFile;
        ::Sleep(kRetryPauseMs);
    }
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

bool SetWriteTime(File file, std::int64_t time) {
    const auto ticks = static_cast<std::uint64_t>(Reported(time));
    const FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> kHalfBits)};
    return Counted(FileCall::Change,
                   ::SetFileTime(AsHandle(file), nullptr, nullptr, &written) != 0);
}

bool StampOpen(File file, const std::string &path, std::int64_t size, FileStamp &stamp) {
    FileLook look;
    if (!Describe(AsHandle(file), look, size) ||
        (Remote(path.c_str()) && !IdentifyOpen(AsHandle(file), look.stamp)))
        return false;
    stamp = look.stamp;
    return true;
}

bool Close(File file) { return Counted(FileCall::Close, ::CloseHandle(AsHandle(file))) != 0; }

// Written through: the rename is on disk when it returns. Over a history,
// first by the new file's handle with POSIX semantics, which replaces a
// file that readers hold open (Windows 10 1607 and later).
Renamed Rename(File file, const std::string &from, const std::string &to, bool firstCreation) {
    if (!firstCreation && posixRename) {
        const std::optional<Renamed> renamed = RenameOverReaders(AsHandle(file), to);
        if (renamed) return *renamed;
        posixRename = false;  // not this system's: the plain rename from now on
    }
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (firstCreation ? 0 : MOVEFILE_REPLACE_EXISTING);
    if (Counted(FileCall::Rename, ::MoveFileExA(from.c_str(), to.c_str(), flags)))
        return Renamed::Yes;
    switch (::GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return firstCreation ? Renamed::NameTaken : Renamed::Failed;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return Renamed::Refused;
    default: return Renamed::Failed;
    }
}

// MOVEFILE_WRITE_THROUGH has made the rename durable already.
void FlushFolderOf(const std::string &path) {
    (void)fault::Fails(fault::Call::FlushFolder, path.c_str());
}

bool Remove(const std::string &path) {
    if (fault::Fails(fault::Call::Remove, path.c_str())) return false;
    return Counted(FileCall::Delete, ::DeleteFileA(path.c_str())) || NothingThere(::GetLastError());
}

// A folder's access list tells whether it takes new files only to a try;
// a save that is refused rewrites the file in place.
bool FolderTakesFiles(const std::string &) { return !fault::Fails(fault::Call::RefuseTemporary); }

std::vector<std::string> Siblings(const std::string &path, bool regularOnly) {
    std::vector<std::string> found;
    const std::string folder = FolderOf(path);
    WIN32_FIND_DATAA entry{};
    const HANDLE first = Counted(FileCall::List, ::FindFirstFileA((path + "?*").c_str(), &entry));
    if (first == INVALID_HANDLE_VALUE) return found;
    const std::unique_ptr<void, BOOL(WINAPI *)(HANDLE)> listing(first, &::FindClose);
    do {
        if (!regularOnly || (entry.dwFileAttributes & kNotPlain) == 0)
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

bool CreateMark(const std::string &path) {
    if (fault::Fails(fault::Call::Mark, path.c_str()) || path.size() > kLongestPath) return false;
    const HANDLE mark = Counted(
        FileCall::Create,
        ::CreateFileA(path.c_str(), GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (mark == INVALID_HANDLE_VALUE) return false;
    Counted(FileCall::Close, ::CloseHandle(mark));
    return true;
}

namespace {

// The lock's byte in a kept file, opened with `share`: Unusable where the
// file cannot be opened, or its file system keeps no byte-range lock.
Locking LockByteOf(KeptHandle &kept, const std::string &path, DWORD share, DWORD disposition,
                   File &lock) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    const Locking opened = kept.Open(path, share, disposition, handle);
    if (opened != Locking::Held) return opened;
    if (fault::Fails(fault::Call::ByteLock, path.c_str())) return Locking::Unusable;
    if (LockRange(handle, LOCKFILE_EXCLUSIVE_LOCK, kHistoryLockHigh, 1, 0)) {
        lock = reinterpret_cast<File>(handle);
        return Locking::Held;
    }
    return ::GetLastError() == ERROR_LOCK_VIOLATION ? Locking::Busy : Locking::Unusable;
}

}  // namespace

// The lock file's byte; where the file system keeps no byte-range lock, the
// lock file itself, opened to no one else for the length of the change
// (kept by no copy then, so one open is all it takes); where the lock file
// cannot be made or opened at all (a folder that takes no new files), the
// same byte of the library file, which the copies loaded from it share.
Locking LockHistory(const std::string &history, const char *libraryPath, File &lock,
                    std::string &on) {
    on = history + kLockFileSuffix;
    if (fault::Fails(fault::Call::Lock, on.c_str())) return Locking::Busy;
    if (!byteLocksRefused) {
        // Not shared for deletion: while any copy runs, the file stays.
        const Locking byte =
            LockByteOf(lockFile, on, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS, lock);
        if (byte != Locking::Unusable) return byte;
        // Opened, and its byte refused: the file system keeps no such lock.
        if (!lockFile.Is(INVALID_HANDLE_VALUE)) {
            byteLocksRefused = true;
            lockFile.Close();
        }
    }
    if (byteLocksRefused) {
        const HANDLE alone =
            Counted(FileCall::Open,
                    ::CreateFileA(on.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
        if (alone != INVALID_HANDLE_VALUE) {
            lock = reinterpret_cast<File>(alone);
            return Locking::Held;
        }
        if (HeldByAnother(::GetLastError())) return Locking::Busy;
    }
    on = libraryPath ? libraryPath : "";
    if (on.empty()) return Locking::Unusable;
    return LockByteOf(library, on, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      OPEN_EXISTING, lock);
}

void UnlockHistory(File lock) {
    const HANDLE handle = AsHandle(lock);
    if (!lockFile.Is(handle) && !library.Is(handle)) {
        Counted(FileCall::Close, ::CloseHandle(handle));  // the lock file, to no one else
        return;
    }
    OVERLAPPED at{};
    at.OffsetHigh = kHistoryLockHigh;
    Counted(FileCall::Lock, ::UnlockFileEx(handle, 0, 1, 0, &at));
}

bool LockForRewrite(File file) { return LockBytes(AsHandle(file), true); }

void Pause(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint64_t Milliseconds() { return ::GetTickCount64(); }

}  // namespace system
}  // namespace platform

#endif
