// Recording files and printing the history through the stand-in host core,
// with nothing shown to a user.
#include "termhost/scripting.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "history/history_path.h"
#include "hostsim/host.h"
#include "platform/platform.h"
#include "termhost/crash_guard.h"
#include "termhost/history_reading.h"
#include "termhost/text_view.h"

namespace termhost {

int RunScript(const Options &options, std::ostream &out, std::ostream &err) {
    hostsim::ScriptedFrontend frontend;
    hostsim::Host host(frontend);
    std::string error;
    bool loaded = false;
    {
        crash_guard::PluginCode plugin;
        loaded = host.LoadPlugin(options.plugin, &error);
    }
    if (!loaded) {
        err << "quorvel-host: cannot load the plug-in: " << error << '\n';
        return kExitCannotStart;
    }
    const std::string path = HistoryPathFor(host.PluginPath().c_str()).buf;
    // Whatever is recorded stays in this process alone, and goes with it.
    const bool saved = platform::CanReplace(path.c_str());
    if (!saved) err << "quorvel-host: history file " << path << ": " << kNotSaved << '\n';
    bool refused = false;
    for (const std::string &file : options.open) {
        if (file.empty()) {
            err << "quorvel-host: --open '': an empty name records nothing\n";
            refused = true;
            continue;
        }
        // The editor reports full names, and opens what it opens: a missing
        // file as a new one, but no folder, pipe or device.
        std::error_code failure;
        const std::string name =
            std::filesystem::absolute(file, failure).lexically_normal().string();
        const std::string refusal = failure ? failure.message() : EditorRefusal(name);
        if (!refusal.empty()) {
            err << "quorvel-host: cannot open " << (failure ? file : name) << ": " << refusal
                << '\n';
            refused = true;
            continue;
        }
        crash_guard::PluginCode plugin;
        host.OpenEditorWindow(name);
    }
    const bool recorded = !refused && (saved || options.open.empty());
    if (!options.printHistory) return recorded ? 0 : kExitFailed;
    CursorList entries;
    const HistoryState state = ReadHistory(path, entries);
    for (const ListNode *node = entries.first; node != nullptr; node = node->next)
        out << std::string_view(node->text.buf, static_cast<std::size_t>(node->text.len)) << '\n';
    // On standard error, so that the entries alone reach a pipe.
    err << "quorvel-host: history file " << path << ": " << Describe(state) << '\n';
    return recorded && state.problem.empty() ? 0 : kExitFailed;
}

}  // namespace termhost
