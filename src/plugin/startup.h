// The plug-in's copy of the host's startup record: its services and its
// number for this plug-in.
#pragma once

#include "host/host_interface.h"

extern StartupRecord StartupCopy;

// Whether the host has handed over its services; before that no export
// may call one.
[[nodiscard]] bool HostServicesKnown() noexcept;
