// A second host process for tests: loads the plug-in library named first on
// its command line and opens an editor on each name that follows.
#include <cstdio>
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
    for (int i = 2; i < argc; ++i) host.OpenEditorWindow(argv[i]);
    return 0;
}
