// The simulation's fault switch, as its programs find it in a loaded copy.
#pragma once

#include "host/abi.h"
#include "platform/fault.h"

inline constexpr char kFaultSwitch[] = "QuorvelSetFaultHook";
// patienceMs: how long a copy waits for the lock before it leaves its
// change; stillMs: how long another program's write counts as under way;
// 0 keeps the shipped values. coarseSeconds: file times as a file system
// that keeps whole steps of that many seconds reports them (0: as they are).
typedef void(QUORVEL_CALL *FaultSwitchFn)(platform::fault::Hook hook, int diskFlush, int patienceMs,
                                          int stillMs, int coarseSeconds);
