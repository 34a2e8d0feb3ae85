// Recording files and printing the history through the stand-in host core,
// with nothing shown to a user.
#include "scripting.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "crash_guard.h"
#include "hostsim/host.h"

namespace termhost {
namespace {

// The plug-in keeps its history beside itself: the library's name with its
// extension (or none) turned into ".ini"; a library that is itself an
// ".ini" keeps it and gets another.
std::string HistoryFileOf(const std::string &library) {
    const std::size_t nameStart = library.rfind('/') + 1;  // npos + 1 is 0
    const std::size_t dot = library.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return library + ".ini";
    std::string extension = library.substr(dot);
    for (char &c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == ".ini" ? library + ".ini" : library.substr(0, dot) + ".ini";
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
        return 2;
    }
    for (const std::string &file : options.open) {
        // The editor reports full names.
        const std::string name = std::filesystem::absolute(file).lexically_normal().string();
        crash_guard::PluginCode plugin;
        host.OpenEditorWindow(name);
    }
    if (options.printHistory) {
        std::ifstream history(HistoryFileOf(host.PluginPath()), std::ios::binary);
        std::string line;
        while (std::getline(history, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            out << line << '\n';
        }
    }
    return 0;
}

}  // namespace termhost
