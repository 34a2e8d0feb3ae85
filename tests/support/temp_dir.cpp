// Test support: temporary folders and whole-file byte access.
#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
static unsigned long Pid() { return GetCurrentProcessId(); }
#else
#include <unistd.h>
static unsigned long Pid() { return static_cast<unsigned long>(getpid()); }
#endif

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    root_ = fs::temp_directory_path() /
            ("quorvel-test-" + std::to_string(Pid()) + "-" + std::to_string(++counter));
    fs::remove_all(root_);
    fs::create_directories(root_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Read-only bits left by a test would stop the clean-up on Windows.
    for (const auto &entry : fs::recursive_directory_iterator(root_, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
}

std::string TempDir::File(const std::string &name) const { return (root_ / name).string(); }

void WriteBytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string ListFolder(const fs::path &folder) {
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    std::string joined;
    for (const auto &name : names) joined += name + "\n";
    return joined;
}
