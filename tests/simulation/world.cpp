// The simulation's world, and the other programs that touch the history.
#include "simulation/world.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

#include "simulation/rules.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace sim {
namespace {

#ifdef _WIN32
unsigned long Pid() { return ::GetCurrentProcessId(); }
constexpr char kLibraryName[] = "quorvel.dll";
#else
unsigned long Pid() { return static_cast<unsigned long>(::getpid()); }
constexpr char kLibraryName[] = "quorvel.so";
#endif

const std::string kRecordPrefix = "quorvel.ini.pending.";

// Far beyond what the plug-in reads: the file holds 2 GiB and more.
constexpr std::uintmax_t kOversize = (std::uintmax_t{1} << 31) + 100;

// The change time, which std::filesystem does not tell.
std::int64_t ChangeTime(const std::string &path) {
#ifdef _WIN32
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILE_BASIC_INFO basic{};
    ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic);
    ::CloseHandle(file);
    return basic.ChangeTime.QuadPart;
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
#endif
}

// std::filesystem keeps whole seconds on Windows; saves come faster.
std::int64_t WriteTime(const std::string &path) {
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                     data.ftLastWriteTime.dwLowDateTime);
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
#endif
}

void WriteFile(const fs::path &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

World::World() {
    static std::atomic<int> worlds{0};
    root_ = fs::temp_directory_path() /
            ("quorvel-sim-" + std::to_string(Pid()) + "-" + std::to_string(++worlds));
    fs::remove_all(root_);
    fs::create_directories(root_ / "files");
    history_ = (root_ / "quorvel.ini").string();
    modulePath_ = (root_ / kLibraryName).string();
    // Where the library would be: on Windows the history's lock is on it.
    WriteFile(modulePath_, "");
}

World::~World() {
    StopWriting();
    MendHistory();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

Look World::LookAtHistory() const {
    Look look;
    std::error_code error;
    const fs::file_status status = fs::status(history_, error);
    look.exists = fs::exists(status);
    look.regular = fs::is_regular_file(status);
    if (!look.regular) return look;
    look.size = fs::file_size(history_, error);
    // As the file system keeps them: a time set again to what it reports
    // is no change there.
    look.time = Kept(WriteTime(history_));
    look.changed = Kept(ChangeTime(history_));
    look.writerOpen = writer_ != -1;
#ifndef _WIN32
    struct stat st {};
    if (::stat(history_.c_str(), &st) == 0) look.owner = st.st_uid;
#endif
    if (look.size > (std::uintmax_t{1} << 24) || spoil_ == Spoil::Held) return look;
    std::ifstream in(history_, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    look.bytes = bytes.str();
    return look;
}

void World::Rewrite(const std::string &bytes) {
    StopWriting();
    const fs::path fresh = root_ / "outside.new";
    WriteFile(fresh, bytes);
    // Later than what it replaces, as a real program's write would be: a
    // copy's save can carry a time a little ahead of the clock. Dated
    // further than a coarse file system's step, so that it is not taken
    // for a write under way.
    std::error_code error;
    const auto now = fs::last_write_time(fresh);
    const auto replaced = fs::last_write_time(history_, error);
    // Past the file a spoiling replaced too, whose stamp copies keep.
    const auto dated =
        std::max({now, error ? now : replaced, spoiltWritten_}) + std::chrono::seconds(3);
    fs::last_write_time(
        fresh, dated - (coarseSeconds_ > 0
                            ? dated.time_since_epoch() % std::chrono::seconds(coarseSeconds_)
                            : fs::file_time_type::duration{}));
    fs::rename(fresh, history_);
}

// Into a folder of its own, as a file moved to the trash: its number is not
// given to the next file, which on a file system of coarse times could then
// bear the same stamp as the one it replaces.
void World::RemoveHistory() {
    StopWriting();
    static std::atomic<int> removed{0};
    fs::create_directories(root_ / "trash");
    fs::rename(history_, root_ / "trash" / std::to_string(++removed));
}

bool World::SpoilHistory(Spoil how) {
    StopWriting();
    const Look before = LookAtHistory();
    if (!before.regular) return false;
    spoiltBytes_ = before.bytes;
    spoiltWritten_ = fs::last_write_time(history_);
    switch (how) {
    case Spoil::None: return false;
    case Spoil::Oversize: fs::resize_file(history_, kOversize); break;
    case Spoil::Folder:
        RemoveHistory();
        fs::create_directory(history_);
        break;
    case Spoil::Fifo:
#ifdef _WIN32
        return false;
#else
        RemoveHistory();
        if (::mkfifo(history_.c_str(), 0600) != 0) return false;
        break;
#endif
    case Spoil::Held:
#ifdef _WIN32
        holder_ = reinterpret_cast<std::intptr_t>(::CreateFileA(history_.c_str(), GENERIC_READ, 0,
                                                                nullptr, OPEN_EXISTING,
                                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (holder_ == reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)) return false;
        break;
#else
        return false;
#endif
    }
    spoil_ = how;
    return true;
}

void World::MendHistory() {
    switch (spoil_) {
    case Spoil::None: return;
    case Spoil::Oversize:
    case Spoil::Folder:
    case Spoil::Fifo:
        RemoveHistory();
        Rewrite(spoiltBytes_);
        break;
    case Spoil::Held:
#ifdef _WIN32
        ::CloseHandle(reinterpret_cast<HANDLE>(holder_));
#endif
        break;
    }
    spoil_ = Spoil::None;
}

bool World::BeingWritten(const Look &look) const {
    if (kWindows) return look.writerOpen;
    const bool cut = !look.bytes.empty() && look.bytes.back() != '\r' && look.bytes.back() != '\n';
    return look.regular && cut && Kept(look.time) == Kept(look.changed);
}

std::int64_t World::Kept(std::int64_t time) const {
    const std::int64_t step = coarseSeconds_ * kTicksPerSecond;
    return step > 0 ? time - time % step : time;
}

void World::RewriteInPlace(const std::string &bytes) {
#ifdef _WIN32
    // Shared as a copying program shares it: a copy's read, which shares no
    // writing, is refused while it is open.
    if (writer_ == -1)
        writer_ = reinterpret_cast<std::intptr_t>(::CreateFileA(
            history_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const HANDLE file = reinterpret_cast<HANDLE>(writer_);
    DWORD written = 0;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::SetEndOfFile(file);
#else
    std::ofstream out(history_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
#endif
}

void World::StopWriting() {
#ifdef _WIN32
    if (writer_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(writer_));
#endif
    writer_ = -1;
}

void World::DateHistory(std::int64_t time) {
    StopWriting();
    if (coarseSeconds_ > 0) time -= time % (coarseSeconds_ * kTicksPerSecond);
#ifdef _WIN32
    const HANDLE file = ::CreateFileA(history_.c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const auto ticks = static_cast<std::uint64_t>(time);
    const FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    ::SetFileTime(file, nullptr, nullptr, &written);
    ::CloseHandle(file);
#else
    const timespec times[2] = {{0, UTIME_OMIT}, {time / 1000000000, time % 1000000000}};
    ::utimensat(AT_FDCWD, history_.c_str(), times, 0);
#endif
}

bool World::LockHeld() const {
#ifdef _WIN32
    // The byte the plug-in locks, far beyond the end of the lock file
    // beside the history; none is held before a copy has made that file.
    const HANDLE lockFile =
        ::CreateFileA((history_ + ".writelock").c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (lockFile == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED at{};
    at.OffsetHigh = 0x7FFFFFF0;
    const bool free =
        ::LockFileEx(lockFile, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
    if (free) ::UnlockFileEx(lockFile, 0, 1, 0, &at);
    ::CloseHandle(lockFile);
#else
    // The history's folder.
    const int folder = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool free = ::flock(folder, LOCK_EX | LOCK_NB) == 0;
    ::close(folder);
#endif
    return !free;
}

Records World::PendingRecords() const {
    Records records;
    for (const auto &entry : fs::directory_iterator(root_)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != kRecordPrefix.size() + 32 || name.rfind(kRecordPrefix, 0) != 0) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        std::getline(in, line);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        records[name] = line;
    }
    return records;
}

bool World::Marked() const { return fs::exists(root_ / "quorvel.ini.pending"); }

bool World::Trusted(const std::string &record, const Look &history) const {
#ifdef _WIN32
    (void)record;
    (void)history;
    return true;
#else
    struct stat st {};
    return ::lstat((root_ / record).c_str(), &st) != 0 || st.st_uid == ::geteuid() ||
           st.st_uid == history.owner;
#endif
}

void World::PutRecord(const std::string &file, const std::string &name) {
    WriteFile(root_ / file, name + "\r\n");
}

bool World::ShareWithAnotherUser() {
#ifdef _WIN32
    return false;
#else
    if (::geteuid() != 0) return false;
    std::error_code ignored;
    fs::permissions(root_, fs::perms::all, ignored);
    if (fs::exists(history_))
        fs::permissions(history_,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::group_write | fs::perms::others_read |
                            fs::perms::others_write,
                        ignored);
    return !ignored;
#endif
}

void World::PutHistory(const std::optional<std::string> &bytes) {
    StopWriting();
    if (!bytes) {
        if (fs::exists(fs::symlink_status(history_))) RemoveHistory();
        return;
    }
    if (fs::exists(fs::symlink_status(history_))) RemoveHistory();
    Rewrite(*bytes);
}

std::string World::FileName(int n) const {
    std::string name = "f";
    name += std::to_string(n);
    return (root_ / "files" / name).string();
}

void World::SetFileExists(int n, bool exists) {
    if (exists)
        WriteFile(FileName(n), "");
    else
        fs::remove(FileName(n));
}

bool World::Exists(const std::string &name) {
#ifdef _WIN32
    return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0;
#endif
}

std::set<std::string> World::Strays() const {
    std::set<std::string> strays;
    for (const auto &entry : fs::directory_iterator(root_)) {
        const std::string name = entry.path().filename().string();
        const bool pending =
            name.rfind(kRecordPrefix, 0) == 0 && name.size() == kRecordPrefix.size() + 32;
        if (name != "quorvel.ini" && name != kLibraryName && name != "files" && name != "copies" &&
            name != "trash" && name != "quorvel.ini.pending" && name != "quorvel.ini.writelock" &&
            !pending)
            strays.insert(name);
    }
    return strays;
}

}  // namespace sim
