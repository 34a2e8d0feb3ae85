// The plug-in's copy of the host's startup record: its services and its
// number for this plug-in.
#pragma once

#include "host/host_interface.h"
#include "host/services.h"

extern StartupRecord StartupCopy;

// The host's services, called through the startup copy.
extern const host::Services Host;

// Whether the host has handed over its services; before that no export
// may call one.
[[nodiscard]] bool HostServicesKnown() noexcept;
