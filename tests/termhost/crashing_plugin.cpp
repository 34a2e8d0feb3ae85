// A plug-in whose only menu entry crashes the host: a null pointer write
// inside OpenPlugin, as a faulty plug-in would do.
#include <cstdint>

#include "host/host_interface.h"

namespace {
const char *const kMenu[] = {"Crash the host"};
}

extern "C" {

__attribute__((visibility("default"))) void SetStartupInfo(const StartupRecord *) {}

__attribute__((visibility("default"))) void GetPluginInfo(PluginInfoRecord *info) {
    info->StructSize = sizeof *info;
    info->MenuStrings = kMenu;
    info->MenuStringsNumber = 1;
}

__attribute__((visibility("default"))) void *OpenPlugin(int, std::intptr_t) {
    volatile int *nowhere = nullptr;
    *nowhere = 1;
    return reinterpret_cast<void *>(-1);
}

__attribute__((visibility("default"))) int ProcessEditorEvent(int, void *) { return 0; }
}
