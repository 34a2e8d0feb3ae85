// The host's command line.
#pragma once

#include <string>
#include <vector>

namespace termhost {

struct Options {
    std::string plugin;             // the library to load; empty for none
    std::string folder = ".";       // where the file browser starts
    std::vector<std::string> open;  // files to record, in the scripting mode
    bool printHistory = false;
    bool help = false;
    bool version = false;
    std::string error;  // set when the command line is wrong

    // Without the full screen: files are recorded and the history printed.
    [[nodiscard]] bool Scripting() const { return !open.empty() || printHistory; }
};

// Exit statuses besides 0: the work failed, or it could not start (a wrong
// command line, no terminal, a plug-in that does not load).
inline constexpr int kExitFailed = 1;
inline constexpr int kExitCannotStart = 2;

[[nodiscard]] Options ParseOptions(const std::vector<std::string> &args, std::string defaultPlugin);

// The --help text, naming the plug-in loaded by default and its history
// file (empty when there is no default plug-in).
[[nodiscard]] std::string Usage(const std::string &defaultPlugin,
                                const std::string &defaultHistory);

}  // namespace termhost
