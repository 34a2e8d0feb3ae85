// The host's startup call and the plug-in's registration in the host's
// plug-in menu.
#include "plugin/startup.h"

#include <cstring>

#include "history/history_store.h"
#include "plugin/bounded_text.h"
#include "plugin/export.h"
#include "text/dyn_string.h"

constinit StartupRecord StartupCopy{};

namespace {

bool ServicesKnown = false;

// The one plug-in menu entry; its address is handed to the host and must
// stay the same on every call.
const char *MenuEntries[1] = {nullptr};

void StartPlugin(const StartupRecord &info) {
    std::memcpy(&StartupCopy, &info, sizeof StartupCopy);
    ServicesKnown = true;
    // The host's path need not end within its field.
    DynString path;
    path.AssignBytes(StartupCopy.ModulePath,
                     BoundedLength(StartupCopy.ModulePath, sizeof StartupCopy.ModulePath));
    StartHistory(path.buf);
}

void Register(PluginInfoRecord &info) {
    info.StructSize = sizeof(PluginInfoRecord);
    info.Flags = 4;
    info.Word16 = 0;
    MenuEntries[0] = StartupCopy.GetPluginText(StartupCopy.PluginId, 0);
    info.MenuStrings = MenuEntries;
    info.MenuStringsNumber = 1;
    info.Word32 = 0;
    info.Pointer36 = nullptr;
}

}  // namespace

bool HostServicesKnown() noexcept { return ServicesKnown; }

QUORVEL_EXPORT void QUORVEL_CALL SetStartupInfo(const StartupRecord *info) {
    if (!info) return;
    RunExport([&] { StartPlugin(*info); });
}

QUORVEL_EXPORT void QUORVEL_CALL GetPluginInfo(PluginInfoRecord *info) {
    if (!info || !HostServicesKnown()) return;
    RunExport([&] { Register(*info); });
}
