// A copy of the host in a process of its own, for the simulation and the
// sharing tests: it loads the plug-in, reports MODULE_PATH as the library's
// path so that it shares that history, and opens an editor on each NAME.
//
//   simulation_copy LIBRARY MODULE_PATH [OPTION...] NAME...
//
//   --crash-at N   dies at its N-th call into the system, before the call is
//                  made, as a crash there would leave things (exit status 77)
//   --stop-at N    stops itself there, as a copy that stalls does, until it
//                  is let go on (Program::WaitUntilStopped and Resume)
//   --refuse       meets a folder that takes no new files: no new file, no
//                  record, no mark
//   --patience MS  waits for the lock this long before it leaves its change
//   --still MS     takes another program's write for under way this long
//   --coarse S     sees file times as a file system of S-second steps would
//   --as-user UID  runs as that user, and its group (POSIX, as root)
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostsim/host.h"
#include "plugin/run_program.h"
#include "simulation/fault_switch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace {

using platform::fault::Call;

long callsLeft = -1;    // calls until the crash or stop; -1: none planned
bool stopping = false;  // stop there rather than crash
bool refusing = false;

bool Hook(Call call, const char *path) {
    if (callsLeft >= 0 && --callsLeft == 0) {
        if (stopping) {
#ifdef _WIN32
            const unsigned long self = ::GetCurrentProcessId();
            // "go" first: made after "stopped", it could come too late for a
            // resume, whose own event would be gone with its handle.
            const HANDLE go =
                ::CreateEventA(nullptr, TRUE, FALSE, StopEventName("go", self).c_str());
            ::SetEvent(
                ::CreateEventA(nullptr, TRUE, FALSE, StopEventName("stopped", self).c_str()));
            ::WaitForSingleObject(go, INFINITE);
#else
            ::raise(SIGSTOP);
#endif
        } else {
#ifdef _WIN32
            ::TerminateProcess(::GetCurrentProcess(), 77);
#endif
            ::_exit(77);
        }
    }
    (void)path;
    return refusing && (call == Call::RefuseTemporary || call == Call::Mark);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) return 2;
    int first = 3;
    int patience = 0, still = 0, coarse = 0;
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
        } else if (option == "--still") {
            still = static_cast<int>(value);
        } else if (option == "--coarse") {
            coarse = static_cast<int>(value);
        } else if (option == "--as-user") {
#ifndef _WIN32
            // Loaded while still root: the build may lie where that user
            // cannot enter. The host's load of the same path finds it loaded
            // and opens no file; the plug-in starts, and touches the
            // history, only after the switch.
            if (::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL) == nullptr ||
                ::setgid(static_cast<gid_t>(value)) != 0 ||
                ::setuid(static_cast<uid_t>(value)) != 0)
                return 2;
#endif
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
    faultSwitch(&Hook, 0, patience, still, coarse);
    for (int i = first; i < argc; ++i) {
        host.OpenEditorWindow(argv[i]);
        host.CloseWindow(1);
    }
    return 0;
}
