// Sample history files: deterministic paths shaped like a real history's.
// Folders come first (a user's repositories, documents, settings, installed
// programs, a work share, each several levels deep); files then gather in
// them unevenly, as a user opens many files in a few folders.
#include "sample_history.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

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
std::string Pick(Dice &dice, const std::array<const char *, N> &words) {
    return words[dice.Below(N)];
}

// The text followed by the number; built in steps, so that each draw is made
// in a fixed order.
std::string Numbered(const char *text, std::uint32_t number) {
    std::string numbered = text;
    numbered += std::to_string(number);
    return numbered;
}

// The places a folder starts from, in each form.
enum class Root { Home, Settings, Programs, SharedSettings, Work };

std::string RootText(Root root, const std::string &user, PathForm form) {
    const bool windows = form == PathForm::Windows;
    switch (root) {
    case Root::Home: return windows ? "C:\\Users\\" + user : "/home/" + user;
    case Root::Settings:
        return windows ? "C:\\Users\\" + user + "\\AppData\\Roaming" : "/home/" + user + "/.config";
    case Root::Programs: return windows ? "C:\\Program Files" : "/opt";
    case Root::SharedSettings: return windows ? "C:\\ProgramData" : "/etc";
    case Root::Work: return windows ? "D:\\work" : "/srv/work";
    }
    return {};
}

constexpr std::array<const char *, 6> kUsers = {"alice", "bkowalski", "mchen",
                                                "jdoe",  "svc_build", "rpatel"};
constexpr std::array<const char *, 8> kProjects = {
    "billing-service", "Telemetry",       "webshop-frontend", "inventory",
    "DataPipeline",    "payment-gateway", "ReportingSuite",   "device-firmware"};
constexpr std::array<const char *, 12> kModules = {
    "core",   "Networking", "storage", "ui",        "parser",      "Services",
    "common", "Scheduling", "auth",    "Analytics", "Persistence", "drivers"};
constexpr std::array<const char *, 12> kParts = {
    "Handlers",  "internal", "Models",        "detail",   "Controllers", "utils",
    "Ingestion", "config",   "Serialization", "adapters", "Validation",  "impl"};
constexpr std::array<const char *, 8> kAreas = {"Invoices", "Meetings", "Projects", "Travel",
                                                "HR",       "Budget",   "Research", "Taxes"};
constexpr std::array<const char *, 6> kApps = {"Code",      "JetBrains", "Mozilla",
                                               "Microsoft", "Slack",     "GitHubDesktop"};
constexpr std::array<const char *, 5> kVendors = {"Contoso", "Fabrikam", "Northwind",
                                                  "AdventureWorks", "Tailspin"};
constexpr std::array<const char *, 5> kProducts = {"Gateway", "DesktopClient", "SyncAgent",
                                                   "LicenseServer", "Monitor"};
constexpr std::array<const char *, 24> kStems = {"EventBatchProcessor",
                                                 "connection_pool",
                                                 "ApiHandlerFactory",
                                                 "settings",
                                                 "MessageBrokerClient",
                                                 "string_utilities",
                                                 "ReportBuilderTests",
                                                 "http_client_session",
                                                 "TransactionLogWriter",
                                                 "index",
                                                 "UserRepository",
                                                 "main",
                                                 "CacheEntryExpiration",
                                                 "schema_migration_v2",
                                                 "ConfigLoader",
                                                 "sqlite_store",
                                                 "DeviceStatusMonitor",
                                                 "retry_policy",
                                                 "InvoiceTemplate",
                                                 "README",
                                                 "ServiceCollectionExtensions",
                                                 "thread_pool_executor",
                                                 "AuthenticationMiddleware",
                                                 "Makefile"};
constexpr std::array<const char *, 10> kSourceExtensions = {".cpp", ".h",    ".cs",  ".py", ".hpp",
                                                            ".ts",  ".json", ".cpp", ".h",  ".md"};
constexpr std::array<const char *, 6> kDocumentExtensions = {".docx", ".xlsx", ".pdf",
                                                             ".txt",  ".md",   ".pptx"};
constexpr std::array<const char *, 5> kSettingExtensions = {".json", ".xml", ".ini", ".conf",
                                                            ".yaml"};

struct Folder {
    std::string path;       // without a separator at the end
    int extensionKind = 0;  // 0 source, 1 documents, 2 settings
};

// One folder, several levels below one of the roots.
Folder MakeFolder(Dice &dice, PathForm form) {
    const std::string separator = form == PathForm::Windows ? "\\" : "/";
    const std::string user = Pick(dice, kUsers);
    std::vector<std::string> parts;
    Folder folder;
    Root root = Root::Home;
    const std::uint32_t kind = dice.Below(100);
    if (kind < 55) {  // a repository: the most files
        parts = {"source", "repos", Pick(dice, kVendors), Pick(dice, kProjects)};
        const std::uint32_t area = dice.Below(10);
        if (area < 6) {
            parts.insert(parts.end(), {"src", Pick(dice, kModules), Pick(dice, kParts)});
        } else if (area < 8) {
            parts.insert(parts.end(), {"include", Pick(dice, kProjects), Pick(dice, kModules)});
        } else {
            parts.insert(parts.end(), {"tests", Pick(dice, kModules), "fixtures"});
        }
        if (dice.Below(4) != 0) parts.push_back(Pick(dice, kParts));
    } else if (kind < 68) {
        parts = {"Documents", Pick(dice, kAreas), std::to_string(2015 + dice.Below(10)),
                 Pick(dice, kAreas)};
        parts.back() += " meeting notes";
        folder.extensionKind = 1;
    } else if (kind < 78) {
        root = Root::Settings;
        parts = {Pick(dice, kApps), "User", dice.Below(2) ? "profiles" : "workspaceStorage"};
        folder.extensionKind = 2;
    } else if (kind < 85) {
        root = dice.Below(2) ? Root::Programs : Root::SharedSettings;
        std::string version = Numbered("v", 1 + dice.Below(9));
        version += Numbered(".", dice.Below(20));
        parts = {Pick(dice, kVendors), Pick(dice, kProducts), version,
                 dice.Below(2) ? "config" : "conf.d"};
        folder.extensionKind = 2;
    } else {
        root = Root::Work;
        parts = {"clients",
                 Pick(dice, kVendors),
                 Pick(dice, kProjects),
                 Numbered("release-", 1 + dice.Below(5)),
                 "src",
                 Pick(dice, kModules)};
    }
    folder.path = RootText(root, user, form);
    for (const std::string &part : parts) folder.path += separator + part;
    return folder;
}

std::string MakeFileName(Dice &dice, const Folder &folder) {
    std::string name = Pick(dice, kStems);
    if (dice.Below(3) == 0) name += Numbered("_", dice.Below(1000));
    switch (folder.extensionKind) {
    case 1: name += Pick(dice, kDocumentExtensions); break;
    case 2: name += Pick(dice, kSettingExtensions); break;
    default: name += Pick(dice, kSourceExtensions); break;
    }
    return name;
}

// The history: distinct paths, most of them in the first folders made.
std::string MakeHistory(std::int32_t entries, PathForm form) {
    Dice dice;
    const char separator = form == PathForm::Windows ? '\\' : '/';
    std::vector<Folder> folders(static_cast<std::size_t>(20 + entries / 12));
    for (Folder &folder : folders) folder = MakeFolder(dice, form);
    std::set<std::string> made;
    std::string bytes;
    while (static_cast<std::int32_t>(made.size()) < entries) {
        // The square of an even draw favours the first folders.
        const std::uint64_t draw = dice.Below(1u << 16);
        const Folder &folder = folders[draw * draw * folders.size() >> 32];
        const std::string path = folder.path + separator + MakeFileName(dice, folder);
        if (made.insert(path).second) bytes += path + "\r\n";
    }
    return bytes;
}

// The samples' folder under the system's temporary folder.
class SampleFolder {
public:
    SampleFolder() {
#ifdef _WIN32
        // No mkdtemp: a name of this process's own.
        path_ = (std::filesystem::temp_directory_path() /
                 ("quorvel-bench-" + std::to_string(::GetCurrentProcessId())))
                    .string();
        std::filesystem::create_directories(path_);
#else
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quorvel-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create " + pattern);
        path_ = pattern;
#endif
    }
    ~SampleFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

SampleFolder &Samples() {
    static SampleFolder folder;
    return folder;
}

// Flushes a written stream's file to disk.
bool FlushToDisk(std::FILE *file) {
#ifdef _WIN32
    return ::_commit(::_fileno(file)) == 0;  // FlushFileBuffers
#else
    return ::fsync(fileno(file)) == 0;
#endif
}

// Puts one file in place of another, as a safe save does.
bool RenameOver(const std::string &from, const std::string &to) {
#ifdef _WIN32
    // rename refuses to replace a file here. Not written through: the POSIX
    // baseline flushes no folder either.
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

void WriteFile(const std::string &path, const std::string &bytes) {
    if (!WriteAndFlush(bytes, path, false, false)) throw std::runtime_error("cannot write " + path);
}

}  // namespace

const SampleHistory &SampleOf(std::int32_t entries, PathForm form) {
    static std::map<std::pair<std::int32_t, PathForm>, SampleHistory> samples;
    const auto key = std::make_pair(entries, form);
    if (const auto found = samples.find(key); found != samples.end()) return found->second;
    SampleHistory &sample = samples[key];
    sample.bytes = MakeHistory(entries, form);
    sample.path = Samples().File(std::string(form == PathForm::Windows ? "windows-" : "posix-") +
                                 std::to_string(entries) + ".ini");
    WriteFile(sample.path, sample.bytes);
    sample.entries = entries;
    return sample;
}

std::string ScratchFile(const std::string &name) { return Samples().File(name); }

std::string CopyOfSample(std::int32_t entries, const std::string &name, PathForm form) {
    const std::string path = ScratchFile(name);
    WriteFile(path, SampleOf(entries, form).bytes);
    return path;
}

bool WriteAndFlush(const std::string &bytes, const std::string &path, bool flushed,
                   bool replacing) {
    const std::string written = replacing ? path + ".new" : path;
    std::FILE *file = std::fopen(written.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                    std::fflush(file) == 0 && (!flushed || FlushToDisk(file));
    return std::fclose(file) == 0 && ok && (!replacing || RenameOver(written, path));
}

std::int64_t ReadAndCountLines(const SampleHistory &sample) {
    const std::size_t size = sample.bytes.size();
    const std::unique_ptr<char[]> bytes(new char[size]);
    std::FILE *file = std::fopen(sample.path.c_str(), "rb");
    if (!file) return -1;
    const bool read = std::fread(bytes.get(), 1, size, file) == size;
    std::fclose(file);
    if (!read) return -1;
    std::int64_t breaks = 0;
    for (const char *p = bytes.get(), *end = p + size;
         (p = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))));
         ++p)
        ++breaks;
    return breaks;
}
