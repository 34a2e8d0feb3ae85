// Test support: a private copy of the plug-in library per test.
#include "plugin/plugin_fixture.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

PluginTest::PluginTest() {
    const fs::path built(QUORVEL_PLUGIN);
    library_ = dir.File(built.filename().string());
    fs::copy_file(built, library_);
}

void PluginTest::Load() {
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(library_, &error)) << error;
}

std::string PluginTest::HistoryPath() const {
    return fs::path(library_).replace_extension(".ini").string();
}

std::string PluginTest::AtRest() const {
    std::vector<std::string> names{fs::path(HistoryPath()).filename().string(),
                                   fs::path(library_).filename().string()};
#ifdef _WIN32
    names.push_back(fs::path(HistoryPath()).filename().string() + ".writelock");  // the lock's
#endif
    std::sort(names.begin(), names.end());  // as listed
    std::string listing;
    for (const std::string &name : names) listing += name + "\n";
    return listing;
}

bool PluginTest::HistoryExists() const { return fs::exists(HistoryPath()); }

std::vector<std::string> PluginTest::History() const {
    std::vector<std::string> entries;
    const std::string bytes = ReadBytes(HistoryPath()).value_or("");
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        entries.push_back(bytes.substr(start, end - start));
    return entries;
}

void PluginTest::WriteHistory(const std::vector<std::string> &entries) const {
    std::string bytes;
    for (const std::string &entry : entries) bytes += entry + "\r\n";
    WriteBytes(HistoryPath(), bytes);
}

void PluginTest::RemoveHistory() const { fs::remove(HistoryPath()); }

std::vector<std::string> PluginTest::Texts(const hostsim::MenuCall &menu) const {
    std::vector<std::string> texts;
    for (const hostsim::MenuItem &item : menu.items) texts.emplace_back(item.text);
    return texts;
}
