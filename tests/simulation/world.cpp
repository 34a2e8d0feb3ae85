// The simulation's world, and the other programs that touch the history.
#include "simulation/world.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
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

// What a link at the lock's path leads to; no save may write through it.
constexpr char kVictim[] = "the world's own file\n";

#ifndef _WIN32
constexpr uid_t kNobody = 65534;
#endif

// Far beyond what the plug-in reads: the file holds 2 GiB and more.
constexpr std::uintmax_t kOversize = (std::uintmax_t{1} << 31) + 100;

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
}

World::~World() {
    MendHistory();
    MendLock();
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
    look.time = WriteTime(history_);
    if (look.size > (std::uintmax_t{1} << 24) || spoil_ == Spoil::Held) return look;
    std::ifstream in(history_, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    look.bytes = bytes.str();
    return look;
}

void World::Rewrite(const std::string &bytes) {
    const fs::path fresh = root_ / "outside.new";
    WriteFile(fresh, bytes);
    // Later than what it replaces, as a real program's write would be: a
    // copy's save can carry a time a little ahead of the clock.
    std::error_code error;
    const auto replaced = fs::last_write_time(history_, error);
    if (!error) fs::last_write_time(fresh, replaced + std::chrono::seconds(1));
    fs::rename(fresh, history_);
}

void World::RemoveHistory() { fs::remove(history_); }

bool World::SpoilHistory(Spoil how) {
    const Look before = LookAtHistory();
    if (!before.regular) return false;
    spoiltBytes_ = before.bytes;
    switch (how) {
    case Spoil::None: return false;
    case Spoil::Oversize: fs::resize_file(history_, kOversize); break;
    case Spoil::Folder:
        fs::remove(history_);
        fs::create_directory(history_);
        break;
    case Spoil::Fifo:
#ifdef _WIN32
        return false;
#else
        fs::remove(history_);
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
    case Spoil::Oversize: fs::resize_file(history_, spoiltBytes_.size()); break;
    case Spoil::Folder:
    case Spoil::Fifo:
        fs::remove(history_);
        WriteFile(history_, spoiltBytes_);
        break;
    case Spoil::Held:
#ifdef _WIN32
        ::CloseHandle(reinterpret_cast<HANDLE>(holder_));
#endif
        break;
    }
    spoil_ = Spoil::None;
}

const char *LockSpoilName(LockSpoil how) {
    switch (how) {
    case LockSpoil::None: return "nothing";
    case LockSpoil::Link: return "link";
    case LockSpoil::Folder: return "folder";
    case LockSpoil::Fifo: return "FIFO";
    case LockSpoil::Foreign: return "file of another user's";
    }
    return "";
}

bool World::SpoilLock(LockSpoil how) {
    const fs::path lock = history_ + ".lock";
    std::error_code ignored;
    fs::remove(lock, ignored);
    switch (how) {
    case LockSpoil::None: return false;
    case LockSpoil::Folder: fs::create_directory(lock); break;
    case LockSpoil::Link:
#ifdef _WIN32
        return false;
#else
        WriteFile(root_ / "victim", kVictim);
        fs::create_symlink(root_ / "victim", lock);
        break;
#endif
    case LockSpoil::Fifo:
#ifdef _WIN32
        return false;
#else
        if (::mkfifo(lock.c_str(), 0600) != 0) return false;
        break;
#endif
    case LockSpoil::Foreign:
#ifdef _WIN32
        return false;
#else
        // Only root can make a file another user's.
        if (::geteuid() != 0) return false;
        WriteFile(lock, "");
        if (::chown(lock.c_str(), kNobody, kNobody) != 0) return false;
        break;
#endif
    }
    lockSpoil_ = how;
    return true;
}

void World::MendLock() {
    if (lockSpoil_ == LockSpoil::None) return;
    std::error_code ignored;
    fs::remove_all(history_ + ".lock", ignored);
    lockSpoil_ = LockSpoil::None;
}

bool World::VictimUntouched() const {
    std::error_code error;
    if (!fs::exists(root_ / "victim", error)) return true;
    std::ifstream in(root_ / "victim", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str() == kVictim;
}

void World::PutHistory(const std::optional<std::string> &bytes) {
    if (!bytes) {
        std::error_code ignored;
        fs::remove(history_, ignored);
        return;
    }
    const fs::path fresh = root_ / "outside.new";
    WriteFile(fresh, *bytes);
    fs::rename(fresh, history_);
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
        // The lock file stays, empty while no save is under way; whatever
        // another program put at its path may stay too.
        const bool lock = name == "quorvel.ini.lock";
        const bool resting = lock && (lockSpoil_ != LockSpoil::None ||
                                      (entry.is_regular_file() && entry.file_size() == 0));
        if (name != "quorvel.ini" && name != "files" && name != "copies" && name != "victim" &&
            !resting)
            strays.insert(name);
    }
    return strays;
}

}  // namespace sim
