// A plug-in library loaded by path: one small implementation per system.
#pragma once

#include <string>

namespace hostsim {

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary() { Close(); }
    PluginLibrary(const PluginLibrary &) = delete;
    PluginLibrary &operator=(const PluginLibrary &) = delete;

    // Loads the library; false with the system's reason.
    [[nodiscard]] bool Open(const std::string &path, std::string &error);
    void Close();
    [[nodiscard]] bool IsOpen() const { return handle_ != nullptr; }
    // The address of an exported name, or null.
    [[nodiscard]] void *Symbol(const char *name) const;
    // The loaded library's real full path, as the system resolves it.
    [[nodiscard]] const std::string &FullPath() const { return fullPath_; }

private:
    void *handle_ = nullptr;
    std::string fullPath_;
};

}  // namespace hostsim
