// A second host process for tests: loads the plug-in library named first on
// its command line and opens an editor on each name that follows, or on
// PREFIX0, PREFIX1, ... with --many PREFIX COUNT, or endlessly with
// --forever PREFIX (until it is killed).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostsim/host.h"

int main(int argc, char **argv) {
    if (argc < 2) return 2;
    hostsim::ScriptedFrontend ui;
    hostsim::Host host(ui);
    std::string error;
    if (!host.LoadPlugin(argv[1], &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const bool many = argc == 5 && std::strcmp(argv[2], "--many") == 0;
    const bool forever = argc == 4 && std::strcmp(argv[2], "--forever") == 0;
    if (!many && !forever) {
        for (int i = 2; i < argc; ++i) host.OpenEditorWindow(argv[i]);
        return 0;
    }
    const long count = many ? std::strtol(argv[4], nullptr, 10) : -1;
    for (long i = 0; count < 0 || i < count; ++i) {
        host.OpenEditorWindow(argv[3] + std::to_string(i));
        host.CloseWindow(1);  // one editor at a time, as a user works
    }
    return 0;
}
