// The simulation's fault switch, as its programs find it in a loaded copy.
#pragma once

#include "host/abi.h"
#include "platform/fault.h"

inline constexpr char kFaultSwitch[] = "QuorvelSetFaultHook";
// patienceMs: how long the lock's waiters bear with a holder that shows no
// progress; 0 keeps the shipped patience.
typedef void(QUORVEL_CALL *FaultSwitchFn)(platform::fault::Hook hook, int diskFlush,
                                          int patienceMs);
