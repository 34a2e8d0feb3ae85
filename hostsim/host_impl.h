// The stand-in host's state, shared by the Host's methods and the services
// it hands to the plug-in.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "hostsim/host.h"
#include "hostsim/plugin_library.h"

namespace hostsim {

// The plug-in's exports, found by name.
struct PluginExports {
    SetStartupInfoFn setStartupInfo = nullptr;
    GetPluginInfoFn getPluginInfo = nullptr;
    OpenPluginFn openPlugin = nullptr;
    ProcessEditorEventFn processEditorEvent = nullptr;
};

struct Host::Impl {
    explicit Impl(Frontend &shower);

    // The active host's state, for the services; null when none is active.
    static Impl *Active();

    template <class T>
    void Record(const T &call) {
        if (recording) calls.emplace_back(call);
    }
    void TellWindowsChanged() { frontend.WindowsChanged(); }
    [[nodiscard]] bool ValidWindow(int position) const {
        return position >= 0 && position < static_cast<int>(windows.size());
    }
    // What the editor info command reports, or null; the text stays valid
    // until the next EditorCommand call.
    [[nodiscard]] const char *EditorFileName();
    [[nodiscard]] const char *PluginText(int number) const;

    Frontend &frontend;
    PluginLibrary library;
    PluginExports exports;
    Text modulePathOverride;

    std::vector<Window> windows;
    int current = 0;
    bool editorNameSet = false;  // a test chose what the editor info command reports
    Text editorName;
    std::string editorNameShown;

    // Replaced texts are kept: the plug-in may still hold their pointers.
    std::array<std::unique_ptr<std::string>, host::kTextCount> texts;
    std::vector<std::unique_ptr<std::string>> retiredTexts;

    bool recording = true;
    std::vector<Call> calls;
};

// A startup record with every service of this host filled in.
[[nodiscard]] StartupRecord MakeStartupRecord();

// Copies a name into a fixed field as the host does: NUL-terminated when it
// fits, otherwise its first `size` bytes with no NUL.
void CopyName(char *field, std::size_t size, const std::string &name);

}  // namespace hostsim
