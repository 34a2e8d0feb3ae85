// What the loaded copies meet in their calls to the system: failures drawn
// for the step, a stall at a chosen call, during which other copies act,
// and a power cut at a chosen call. One hook serves every loaded copy.
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/fault.h"

namespace sim {

using platform::fault::Call;

class Disk;

// What the acting copy's calls into the system meet during one step.
struct FaultPlan {
    bool readsFail = false;  // every look at, open of and read from the history and its records
    bool lockFails = false;
    bool removeFails = false;    // removing or making a file: a save's, a record, the mark
    int saveFailurePercent = 0;  // each call of a save, by chance
    int refusalPercent = 0;      // the folder takes no new file, by chance
};

[[nodiscard]] FaultPlan DrawPlan(std::mt19937_64 &random);
[[nodiscard]] std::string Described(const FaultPlan &plan);

struct Faults {
    FaultPlan plan;
    std::mt19937_64 random;
    int saveFaults = 0;  // injected into saves since the last settled change
    long injected = 0;
    bool nested = false;   // other copies act during a stall: no faults for them
    long calls = 0;        // the acting copy's calls this step
    bool inPlace = false;  // it is rewriting the history in place
    // A stall: before the acting copy's call number stallAt, `stalled` runs.
    long stallAt = -1;
    int stallInPlace = 0;  // or at this call of a rewrite in place, counted from 1
    std::function<void(Call, const char *)> stalled;
    bool readSinceStall = false;  // the stalled copy opened the history since, in its change
    bool changeOver = false;      // the stalled copy's change has let go of the lock
    // What the acting copy's change did, as its calls show it: it held the
    // lock (it looked at the records' mark while the lock was held, as only
    // a holder does: `lockHeld` tells), and the pending records it read, by
    // file name; and those that a copy acting during a stall read.
    bool holding = false;
    std::function<bool()> lockHeld;
    std::vector<std::string> recordsRead, nestedRecordsRead;
    // A new file of the history's save was refused as by a folder that
    // takes no new files; and a save met another failure.
    bool refusedNewFile = false, otherSaveFault = false;
    // A power cut: at call number cutAt the power goes, and every later call
    // fails; the calls before it go to `disk`.
    long cutAt = -1;
    bool cut = false;
    Disk *disk = nullptr;

    // Ready for the next step: nothing planned, no fault counted.
    void Clear();
    // Ready for the acting copy's next change.
    void ChangeOver();
};

extern Faults faults;

// A call's name, for the log.
[[nodiscard]] const char *CallName(Call call);

// The hook every loaded copy calls.
bool Inject(Call call, const char *path);

}  // namespace sim
