// A tiny plug-in for the stand-in host's own tests. Its exports call the
// host's services back and report what they got as one-line message boxes,
// which the host records, so a test checks both sides from the calls.
#include "hostsim/fake_plugin.h"

#include <cstring>
#include <string>

#include "host/host_interface.h"
#include "text/bounded_length.h"

#ifdef _WIN32
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace fake_plugin;

namespace {

StartupRecord services;  // the startup copy
std::string modulePath;
const char *menuStrings[2];

// Bytes up to the first NUL, within the field.
template <std::size_t N>
std::string Within(const char (&field)[N]) {
    return std::string(field, static_cast<std::size_t>(BoundedLength(field)));
}

void Report(const std::string &line) {
    const char *lines[] = {line.c_str()};
    services.ShowMessage(services.PluginId, 0, nullptr, lines, 1, 0);
}

void ShowTheMenu() {
    const int breakKeys[] = {'A', 8, 116, 0};
    MenuItemRecord items[3] = {};
    std::strcpy(items[0].Text, "one");
    std::strcpy(items[1].Text, "two");
    std::memset(items[2].Text, 'x', sizeof items[2].Text);  // no NUL
    items[1].Selected = 1;
    int breakCode = 7;
    const int result = services.ShowMenu(services.PluginId, -1, -1, 0, 2, "Title []", "bottom",
                                         nullptr, breakKeys, &breakCode, items, 3);
    if (breakCode == -1 && result >= 0 && result < 2)
        services.OpenEditor(items[result].Text, nullptr, 0, 0, -1, -1, 1, -1, -1);
    else
        Report("break " + std::to_string(breakCode) + " result " + std::to_string(result));
}

void Prompt() {
    char buffer[kPromptBufferSize];
    std::memset(buffer, '#', sizeof buffer);
    const int confirmed = services.PromptInput("Title", "Prompt", nullptr, "100", buffer,
                                               kPromptDestSize, nullptr, 0);
    std::string bytes(buffer, sizeof buffer);
    for (char &c : bytes)
        if (c == '\0') c = '|';
    Report("prompt " + std::to_string(confirmed) + " " + bytes);
}

void WalkWindows(int switchTo) {
    const auto count = static_cast<int>(services.HostCommand(services.PluginId, 10, nullptr));
    for (int i = 0; i <= count; ++i) {
        WindowInfoRecord window;
        std::memset(&window, kWindowFill, sizeof window);
        window.Pos = i;
        const auto found = services.HostCommand(services.PluginId, 9, &window);
        Report(std::to_string(found) + " " + std::to_string(window.Type) + " " +
               Within(window.Name));
    }
    services.HostCommand(services.PluginId, 11, reinterpret_cast<void *>(std::intptr_t{switchTo}));
}

}  // namespace

FAKE_EXPORT void QUORVEL_CALL SetStartupInfo(const StartupRecord *info) {
    std::memcpy(&services, info, sizeof services);
    modulePath = Within(services.ModulePath);
}

// Registers the module path it was given and text 0.
FAKE_EXPORT void QUORVEL_CALL GetPluginInfo(PluginInfoRecord *info) {
    info->StructSize = sizeof *info;
    info->Flags = 4;
    menuStrings[0] = modulePath.c_str();
    menuStrings[1] = services.GetPluginText(services.PluginId, 0);
    info->MenuStrings = menuStrings;
    info->MenuStringsNumber = 2;
}

FAKE_EXPORT void *QUORVEL_CALL OpenPlugin(int openFrom, std::intptr_t item) {
    switch (item) {
    case kMenu: ShowTheMenu(); break;
    case kPrompt: Prompt(); break;
    case kWindows: WalkWindows(openFrom); break;
    default: break;
    }
    return reinterpret_cast<void *>(std::intptr_t{-1});
}

// Reports the editor's file name and EditorCommand's result.
FAKE_EXPORT int QUORVEL_CALL ProcessEditorEvent(int event, void *) {
    if (event != 0) return 0;
    EditorInfoRecord info{};
    const int filled = services.EditorCommand(6, &info);
    Report(std::string("opened ") + (info.FileName ? info.FileName : "(none)") + " " +
           std::to_string(filled));
    return 0;
}
