// The host's startup call and the plug-in's registration in the host's
// plug-in menu.
#include "plugin/startup.h"

#include <cstring>
#include <iterator>

#include "history/file_names.h"
#include "history/history_store.h"
#include "host/codes.h"
#include "platform/code_page.h"
#include "plugin/export.h"
#include "text/bounded_length.h"
#include "text/dyn_string.h"

constinit StartupRecord StartupCopy{};
constinit const host::Services Host{StartupCopy};

namespace {

bool ServicesKnown = false;

// The one plug-in menu entry; its address is handed to the host and must
// stay the same on every call.
const char *MenuEntries[1] = {nullptr};

// Keeps a copy of the host's record; from then on exports may call services.
void KeepStartupRecord(const StartupRecord &info) noexcept {
    std::memcpy(&StartupCopy, &info, sizeof StartupCopy);
    ServicesKnown = true;
}

// Loads the history kept beside the library.
void StartHistoryBesideLibrary() {
    // Before the history's path: it is folded by character.
    NameLeadBytes = platform::CodePageLeadBytes();
    // The host's path need not end within its field.
    DynString path;
    path.AssignBytes(StartupCopy.ModulePath, BoundedLength(StartupCopy.ModulePath));
    StartHistory(path.buf);
}

// Fills the registration: one plug-in menu entry, the host's title text.
void Register(PluginInfoRecord &info) {
    info.StructSize = sizeof(PluginInfoRecord);
    info.Flags = host::kRegistrationFlags;
    info.Word16 = 0;
    MenuEntries[0] = Host.Text(host::kTextTitle);
    info.MenuStrings = MenuEntries;
    info.MenuStringsNumber = static_cast<std::int32_t>(std::size(MenuEntries));
    info.Word32 = 0;
    info.Pointer36 = nullptr;
}

}  // namespace

bool HostServicesKnown() noexcept { return ServicesKnown; }

QUORVEL_EXPORT void QUORVEL_CALL SetStartupInfo(const StartupRecord *info) {
    if (!info) return;
    KeepStartupRecord(*info);
    RunExport(StartHistoryBesideLibrary);
}

QUORVEL_EXPORT void QUORVEL_CALL GetPluginInfo(PluginInfoRecord *info) {
    if (!info) return;
    RunExport([&] { Register(*info); });
}
