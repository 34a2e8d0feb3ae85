// Recording files and printing the history through the stand-in host core,
// with nothing shown to a user.
#include "scripting.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "crash_guard.h"
#include "history/history_path.h"
#include "hostsim/host.h"

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
        return 2;
    }
    for (const std::string &file : options.open) {
        // The editor reports full names.
        const std::string name = std::filesystem::absolute(file).lexically_normal().string();
        crash_guard::PluginCode plugin;
        host.OpenEditorWindow(name);
    }
    if (options.printHistory) {
        std::ifstream history(HistoryPathFor(host.PluginPath().c_str()).buf, std::ios::binary);
        std::string line;
        while (std::getline(history, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            out << line << '\n';
        }
    }
    return 0;
}

}  // namespace termhost
