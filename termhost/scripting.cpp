// Recording files and printing the history through the stand-in host core,
// with nothing shown to a user.
#include "termhost/scripting.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "history/history_path.h"
#include "hostsim/host.h"
#include "termhost/crash_guard.h"
#include "termhost/history_reading.h"
#include "termhost/text_view.h"
#include "termhost/text_width.h"

namespace termhost {
namespace {

// Why the plug-in would record nothing for the name, as an editor never
// reports such a name; empty when it would record it.
std::string UnrecordableName(const std::string &file) {
    if (file.empty()) return "an empty name records nothing";
    if (file.find_first_of("\r\n") != std::string::npos)
        return "a name with a line break records nothing";
    return {};
}

}  // namespace

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
    bool refused = false, anyOpened = false;
    for (const std::string &file : options.open) {
        const std::string unrecordable = UnrecordableName(file);
        if (!unrecordable.empty()) {
            err << "quorvel-host: --open '" << Printable(file) << "': " << unrecordable << '\n';
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
        anyOpened = true;
    }
    const std::string path = HistoryPathFor(host.PluginPath().c_str()).buf;
    CursorList entries;
    const HistoryState state = ReadHistory(path, entries);
    // Whatever is recorded but not saved stays in this process alone, and goes with it.
    const bool lost = anyOpened && !NotSaved(state).empty();
    if (options.printHistory)
        for (const ListNode *node = entries.first; node != nullptr; node = node->next)
            out << std::string_view(node->text.buf, static_cast<std::size_t>(node->text.len))
                << '\n';
    // On standard error, so that the entries alone reach a pipe.
    if (options.printHistory || lost)
        err << "quorvel-host: history file " << path << ": " << Describe(state) << '\n';
    const bool unread = options.printHistory && !state.problem.empty();
    return refused || lost || unread ? kExitFailed : 0;
}

}  // namespace termhost
