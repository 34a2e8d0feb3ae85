// The four exports, and the guard every export's body runs behind: no
// service is called before the host has handed them over, and no C++
// exception leaves the library (the host is C and cannot unwind through us).
#pragma once

#include <cstdint>

#include "host/abi.h"
#include "host/host_interface.h"
#include "plugin/startup.h"

QUORVEL_EXPORT void QUORVEL_CALL SetStartupInfo(const StartupRecord *info);
QUORVEL_EXPORT void QUORVEL_CALL GetPluginInfo(PluginInfoRecord *info);
QUORVEL_EXPORT void *QUORVEL_CALL OpenPlugin(int openFrom, std::intptr_t item);
QUORVEL_EXPORT int QUORVEL_CALL ProcessEditorEvent(int event, void *param);

// Runs the body of an export once the host's services are known. Anything
// thrown (running out of memory) ends the call there; every step leaves the
// history whole, so nothing is undone.
template <class Body>
void RunExport(Body &&body) noexcept {
    if (!HostServicesKnown()) return;
    try {
        body();
    } catch (...) {
    }
}
