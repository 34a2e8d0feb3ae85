// Sample history files: deterministic paths of about 60 bytes each.
#include "sample_history.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace {

// A fixed linear congruential generator: the standard distributions may
// differ between libraries, and the samples must not.
class Dice {
public:
    std::uint32_t Below(std::uint32_t n) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % n;
    }

private:
    std::uint32_t state_ = 12345u;
};

template <std::size_t N>
const char *Pick(Dice &dice, const std::array<const char *, N> &words) {
    return words[dice.Below(N)];
}

// One path such as C:\Users\mchen\source\repos\billing\src\report\file_123.cpp.
std::string MakePath(Dice &dice, std::int32_t index) {
    static constexpr std::array<const char *, 3> drives = {"C:", "C:", "D:"};
    static constexpr std::array<const char *, 5> users = {"alice", "bkowalski", "mchen", "jdoe",
                                                          "svc_build"};
    static constexpr std::array<const char *, 6> projects = {"billing", "quorvel",  "webshop",
                                                             "telemetry", "tools", "inventory"};
    static constexpr std::array<const char *, 6> modules = {"core", "report", "net",
                                                            "ui",   "storage", "parser"};
    static constexpr std::array<const char *, 5> extensions = {".cpp", ".h", ".txt", ".ini",
                                                               ".cs"};
    std::string path = Pick(dice, drives);
    path += "\\Users\\";
    path += Pick(dice, users);
    path += "\\source\\repos\\";
    path += Pick(dice, projects);
    path += "\\src\\";
    path += Pick(dice, modules);
    path += "\\file_" + std::to_string(index);  // every entry names a different file
    path += Pick(dice, extensions);
    return path;
}

// The samples' folder under the system's temporary folder.
class SampleFolder {
public:
    SampleFolder() {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quorvel-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create " + pattern);
        path_ = pattern;
    }
    ~SampleFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

SampleFolder &Folder() {
    static SampleFolder folder;
    return folder;
}

void WriteFile(const std::string &path, const std::string &bytes) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    const bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

}  // namespace

const SampleHistory &SampleOf(std::int32_t entries) {
    static std::map<std::int32_t, SampleHistory> samples;
    if (const auto found = samples.find(entries); found != samples.end()) return found->second;
    SampleHistory &sample = samples[entries];
    Dice dice;
    for (std::int32_t i = 0; i < entries; ++i) sample.bytes += MakePath(dice, i) + "\r\n";
    sample.path = Folder().File("history-" + std::to_string(entries) + ".ini");
    WriteFile(sample.path, sample.bytes);
    sample.entries = entries;
    return sample;
}

std::string ScratchFile(const std::string &name) { return Folder().File(name); }

std::string CopyOfSample(std::int32_t entries, const std::string &name) {
    const std::string path = ScratchFile(name);
    WriteFile(path, SampleOf(entries).bytes);
    return path;
}
