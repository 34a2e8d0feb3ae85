// The one export that the simulation's build of the plug-in adds: it reaches
// this loaded instance's platform test hooks, which the shipped library
// keeps to itself.
#include "host/abi.h"
#include "platform/fault.h"

QUORVEL_EXPORT void QUORVEL_CALL QuorvelSetFaultHook(platform::fault::Hook hook, int diskFlush,
                                                     int patienceMs, int stillMs,
                                                     int coarseSeconds) {
    platform::fault::SetHook(hook);
    platform::fault::SetDiskFlush(diskFlush != 0);
    if (patienceMs > 0) platform::fault::SetLockPatience(std::chrono::milliseconds(patienceMs));
    if (stillMs > 0) platform::fault::SetStillAfter(std::chrono::milliseconds(stillMs));
    platform::fault::SetCoarseTimes(coarseSeconds);
}
