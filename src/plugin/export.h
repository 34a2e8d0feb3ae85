// The four exports, and the wall that keeps every C++ exception inside the
// library: the host is C and cannot unwind through us.
#pragma once

#include "host/host_interface.h"

#ifdef _WIN32
// Names and visibility come from quorvel.def; dllexport would add the
// decorated names as well.
#define QUORVEL_EXPORT extern "C"
#else
#define QUORVEL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

QUORVEL_EXPORT void QUORVEL_CALL SetStartupInfo(const StartupRecord *info);
QUORVEL_EXPORT void QUORVEL_CALL GetPluginInfo(PluginInfoRecord *info);
QUORVEL_EXPORT void *QUORVEL_CALL OpenPlugin(int openFrom, std::intptr_t item);
QUORVEL_EXPORT int QUORVEL_CALL ProcessEditorEvent(int event, void *param);

// Runs the body of an export. Anything thrown (running out of memory) ends
// the call there; every step leaves the history whole, so nothing is undone.
template <class Body>
void RunExport(Body &&body) noexcept {
    try {
        body();
    } catch (...) {
    }
}
