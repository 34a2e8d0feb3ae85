// Command-line parsing.
#include "termhost/options.h"

namespace termhost {
namespace {

bool IsOption(const std::string &arg) { return arg.size() > 1 && arg[0] == '-'; }

// A bare name is the file in the current folder, as a shell's user means it,
// not a library for the system to look up on its search path.
std::string LibraryPath(const std::string &name) {
    return name.find('/') == std::string::npos ? "./" + name : name;
}

}  // namespace

std::string Usage(const std::string &defaultPlugin, const std::string &defaultHistory) {
    return "Usage: quorvel-host [--plugin LIBRARY] [FOLDER]\n"
           "       quorvel-host [--plugin LIBRARY] [--open FILE]... [--print-history]\n"
           "\n"
           "Without --open or --print-history, runs the host full screen with its file\n"
           "browser in FOLDER (default: the current folder).\n"
           "\n"
           "  --plugin LIBRARY  the plug-in library to load (default: the one named\n"
           "                    below)\n"
           "  --open FILE       record FILE as if the editor had opened it; may be\n"
           "                    repeated; no full screen\n"
           "  --print-history   print the history file's entries, oldest first, and\n"
           "                    its path and entry count on standard error; no full\n"
           "                    screen\n"
           "  --version         show the version of Quorvel this host was built with\n"
           "  --help            show this text\n"
           "\n"
           "Exit status:\n"
           "  0  done\n"
           "  1  failed: --open refused a name or could not save it, --print-history\n"
           "     could not read the history, or the terminal could not be used\n"
           "  2  could not start: a wrong command line, FOLDER not a folder, no\n"
           "     terminal, or a plug-in that does not load (without the full screen)\n"
           "A crash in the plug-in ends the host by its signal (128 + N in a shell).\n"
           "\n"
           "The plug-in keeps its history file beside itself, named after it with .ini.\n"
           "Default plug-in: " +
           (defaultPlugin.empty() ? std::string("none") : defaultPlugin) + "\n" +
           (defaultHistory.empty() ? std::string() : "Its history file: " + defaultHistory + "\n");
}

Options ParseOptions(const std::vector<std::string> &args, std::string defaultPlugin) {
    Options options;
    options.plugin = std::move(defaultPlugin);
    bool folderGiven = false;
    for (std::size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        const std::string &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--print-history") {
            options.printHistory = true;
        } else if (arg == "--plugin" || arg == "--open") {
            if (!hasValue) {
                options.error = arg + " needs a value";
                break;
            }
            const std::string &value = args[++i];
            if (IsOption(value)) {
                // As other tools read it: a name that starts so is written ./-name.
                options.error = arg + " needs a value, not the option " + value;
                break;
            }
            if (arg == "--plugin")
                options.plugin = LibraryPath(value);
            else
                options.open.push_back(value);
        } else if (IsOption(arg)) {
            options.error = "unknown option " + arg;
        } else if (folderGiven) {
            options.error = "only one FOLDER, please: " + arg;
        } else {
            options.folder = arg;
            folderGiven = true;
        }
    }
    if (options.error.empty() && folderGiven && options.Scripting())
        options.error = "FOLDER is for the full screen, not with --open or --print-history";
    if (options.error.empty() && options.Scripting() && options.plugin.empty())
        options.error = "--open and --print-history need a plug-in: give --plugin LIBRARY";
    return options;
}

}  // namespace termhost
