// A copy of the host in a process of its own, for the simulation: it loads
// the plug-in, reports MODULE_PATH as the library's path so that it shares
// the simulation's history, and opens an editor on each NAME. With
// --crash-at N it dies at its N-th call into the system, before the call is
// made, as a crash there would leave things.
//
//   simulation_copy LIBRARY MODULE_PATH [--crash-at N] NAME...
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostsim/host.h"
#include "simulation/fault_switch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

long callsLeft = -1;  // calls until the crash; -1: none planned

bool CrashWhenDue(platform::fault::Call) {
    if (callsLeft < 0 || --callsLeft > 0) return false;
#ifdef _WIN32
    ::TerminateProcess(::GetCurrentProcess(), 77);
#endif
    ::_exit(77);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) return 2;
    int first = 3;
    if (argc > 4 && std::strcmp(argv[3], "--crash-at") == 0) {
        callsLeft = std::strtol(argv[4], nullptr, 10);
        first = 5;
    }
    hostsim::ScriptedFrontend ui;
    hostsim::Host host(ui);
    host.OverrideModulePath(std::string(argv[2]));
    // Switched once the plug-in has started: its start only reads.
    std::string error;
    if (!host.LoadPlugin(argv[1], &error)) return 1;
    const auto faultSwitch = reinterpret_cast<FaultSwitchFn>(host.PluginSymbol(kFaultSwitch));
    if (faultSwitch == nullptr) return 1;
    faultSwitch(&CrashWhenDue, 0);
    for (int i = first; i < argc; ++i) {
        host.OpenEditorWindow(argv[i]);
        host.CloseWindow(1);
    }
    return 0;
}
