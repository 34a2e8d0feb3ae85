// A copy of the host in a process of its own, for the simulation and the
// sharing tests: it loads the plug-in, reports MODULE_PATH as the library's
// path so that it shares that history, and opens an editor on each NAME.
//
//   simulation_copy LIBRARY MODULE_PATH [OPTION...] NAME...
//
//   --crash-at N   dies at its N-th call into the system, before the call is
//                  made, as a crash there would leave things (exit status 77)
//   --stop-at N    stops itself there with SIGSTOP, as a copy that stalls
//                  does, until it is continued (POSIX)
//   --refuse       meets a folder that takes no new files: no temporary
//                  file, no lock file
//   --patience MS  bears with a silent lock holder this long
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostsim/host.h"
#include "simulation/fault_switch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

using platform::fault::Call;

long callsLeft = -1;    // calls until the crash or stop; -1: none planned
bool stopping = false;  // stop there rather than crash
bool refusing = false;

bool IsLockFile(const char *path) {
    const std::size_t length = path ? std::strlen(path) : 0;
    return length > 5 && std::strcmp(path + length - 5, ".lock") == 0;
}

bool Hook(Call call, const char *path) {
    if (callsLeft >= 0 && --callsLeft == 0) {
        if (stopping) {
#ifndef _WIN32
            ::raise(SIGSTOP);
#endif
        } else {
#ifdef _WIN32
            ::TerminateProcess(::GetCurrentProcess(), 77);
#endif
            ::_exit(77);
        }
    }
    return refusing && (call == Call::RefuseTemporary || (call == Call::Lock && IsLockFile(path)));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) return 2;
    int first = 3;
    int patience = 0;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        const std::string option = argv[first];
        if (option == "--refuse") {
            refusing = true;
            continue;
        }
        if (first + 1 == argc) return 2;
        const long value = std::strtol(argv[++first], nullptr, 10);
        if (option == "--crash-at" || option == "--stop-at") {
            callsLeft = value;
            stopping = option == "--stop-at";
        } else if (option == "--patience") {
            patience = static_cast<int>(value);
        } else {
            return 2;
        }
    }
    hostsim::ScriptedFrontend ui;
    hostsim::Host host(ui);
    host.OverrideModulePath(std::string(argv[2]));
    // Switched once the plug-in has started: its start only reads.
    std::string error;
    if (!host.LoadPlugin(argv[1], &error)) return 1;
    const auto faultSwitch = reinterpret_cast<FaultSwitchFn>(host.PluginSymbol(kFaultSwitch));
    if (faultSwitch == nullptr) return 1;
    faultSwitch(&Hook, 0, patience);
    for (int i = first; i < argc; ++i) {
        host.OpenEditorWindow(argv[i]);
        host.CloseWindow(1);
    }
    return 0;
}
