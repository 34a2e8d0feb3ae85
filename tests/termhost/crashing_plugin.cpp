// A plug-in whose only menu entry crashes the host: a null pointer write
// inside OpenPlugin, as a faulty plug-in would do.
#include <cstdint>

#include "host/abi.h"
#include "host/host_interface.h"

namespace {
const char *const kMenu[] = {"Crash the host"};
}

QUORVEL_EXPORT void SetStartupInfo(const StartupRecord *) {}

QUORVEL_EXPORT void GetPluginInfo(PluginInfoRecord *info) {
    info->StructSize = sizeof *info;
    info->MenuStrings = kMenu;
    info->MenuStringsNumber = 1;
}

QUORVEL_EXPORT void *OpenPlugin(int, std::intptr_t) {
    volatile int *nowhere = nullptr;
    *nowhere = 1;
    return reinterpret_cast<void *>(-1);
}

QUORVEL_EXPORT int ProcessEditorEvent(int, void *) { return 0; }
