// quorvel-host: a stand-in for the file manager, in the terminal, that loads
// the plug-in and lets a person use it.
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "history/history_path.h"
#include "termhost/app.h"
#include "termhost/crash_guard.h"
#include "termhost/options.h"
#include "termhost/scripting.h"
#include "termhost/terminal.h"

#ifndef QUORVEL_HOST_DEFAULT_PLUGIN
#define QUORVEL_HOST_DEFAULT_PLUGIN ""
#endif

namespace {

// The plug-in loaded without --plugin. The host scripts/try runs takes the
// copy that scripts/try keeps outside the build, so that on its own it shows
// the same history.
std::string DefaultPlugin() {
#ifdef QUORVEL_HOST_TRY_PLUGIN
    const char *state = std::getenv("XDG_STATE_HOME");
    const char *home = std::getenv("HOME");
    if (state != nullptr && *state != '\0') return std::string(state) + "/quorvel/quorvel.so";
    if (home != nullptr && *home != '\0')
        return std::string(home) + "/.local/state/quorvel/quorvel.so";
#endif
    return QUORVEL_HOST_DEFAULT_PLUGIN;
}

}  // namespace

// Read by the leak checker of sanitized builds: ncurses keeps memory to the
// end by design, and loses some when a terminal cannot be driven.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libtinfo.so\nleak:libncursesw.so\n";
}
extern "C" const char *__lsan_default_options() { return "print_suppressions=0"; }

int main(int argc, char **argv) {
    using namespace termhost;
    std::setlocale(LC_ALL, "");
    const std::string defaultPlugin = DefaultPlugin();
    const std::string defaultHistory = defaultPlugin.empty()
                                           ? std::string()
                                           : std::string(HistoryPathFor(defaultPlugin.c_str()).buf);
    const Options options =
        ParseOptions(std::vector<std::string>(argv + 1, argv + argc), defaultPlugin);
    if (!options.error.empty()) {
        std::cerr << "quorvel-host: " << options.error << " (try quorvel-host --help)\n";
        return kExitCannotStart;
    }
    if (options.help) {
        std::cout << Usage(defaultPlugin, defaultHistory);
        return 0;
    }
    if (options.version) {
        std::cout << "quorvel-host " QUORVEL_VERSION "\n";
        return 0;
    }
    crash_guard::Install(RestoreTerminal);
    if (options.Scripting()) return RunScript(options, std::cout, std::cerr);

    std::error_code failure;
    if (!std::filesystem::is_directory(options.folder, failure)) {
        std::cerr << "quorvel-host: not a folder: " << options.folder << '\n';
        return kExitCannotStart;
    }
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
        std::cerr << "quorvel-host: the full screen needs a terminal; scripts can use --open "
                     "and --print-history\n";
        return kExitCannotStart;
    }
    try {
        App app(options.plugin, options.folder);
        return app.Run();
    } catch (const std::exception &error) {
        RestoreTerminal();
        std::cerr << "quorvel-host: " << error.what() << '\n';
        return kExitFailed;
    }
}
