// Recording files and printing the history through the stand-in host core,
// with nothing shown to a user.
#include "termhost/scripting.h"

#include <filesystem>
#include <string>

#include "history/history_path.h"
#include "hostsim/host.h"
#include "termhost/crash_guard.h"
#include "termhost/history_reading.h"

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
    for (const std::string &file : options.open) {
        // The editor reports full names.
        const std::string name = std::filesystem::absolute(file).lexically_normal().string();
        crash_guard::PluginCode plugin;
        host.OpenEditorWindow(name);
    }
    if (!options.printHistory) return 0;
    const std::string path = HistoryPathFor(host.PluginPath().c_str()).buf;
    const HistorySummary summary =
        ReadHistory(path, [&out](std::string_view entry) { out << entry << '\n'; });
    // On standard error, so that the entries alone reach a pipe.
    err << "quorvel-host: history file " << path << ": " << Describe(summary) << '\n';
    if (summary.cut)
        err << "quorvel-host: the file is larger than " << kHistoryReadLimitText
            << "; only the entries within its first " << kHistoryReadLimitText << " were printed\n";
    return summary.problem.empty() ? 0 : kExitFailed;
}

}  // namespace termhost
