// The simulation's hook into the loaded copies' calls to the system.
#include "simulation/faults.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "simulation/power_cut.h"

namespace sim {
namespace {

int Below(std::mt19937_64 &random, int bound) {
    return static_cast<int>(random() % static_cast<std::uint64_t>(bound));
}

bool Percent(int percent) { return Below(faults.random, 100) < percent; }

// The step's planned failures.
bool Planned(Call call) {
    const FaultPlan &plan = faults.plan;
    bool fail = false;
    bool inSave = false;
    switch (call) {
    case Call::FileStamp:
    case Call::OpenToRead:
    case Call::Read: fail = plan.readsFail; break;
    case Call::Lock: fail = plan.lockFails; break;
    case Call::Remove:
    case Call::Mark: fail = plan.removeFails; break;
    case Call::RefuseTemporary: fail = inSave = Percent(plan.refusalPercent); break;
    case Call::CreateTemporary:
    case Call::CopyPermissions:
    case Call::OpenInPlace:
    case Call::Write:
    case Call::Truncate:
    case Call::Flush:
    case Call::Replace: fail = inSave = Percent(plan.saveFailurePercent); break;
    case Call::List:
    case Call::AccessList:      // a share that refuses an access list: a test's own
    case Call::ByteLock:        // a file system that keeps no byte lock: a test's own
    case Call::FileAttributes:  // the purge's look at other files
    case Call::FlushFolder:
    case Call::ConsoleRows:
    case Call::Unlock: break;
    }
    faults.saveFaults += inSave;
    faults.otherSaveFault = faults.otherSaveFault || (inSave && call != Call::RefuseTemporary);
    faults.injected += fail;
    return fail;
}

}  // namespace

Faults faults;

const char *CallName(Call call) {
    switch (call) {
    case Call::FileStamp: return "stamp";
    case Call::FileAttributes: return "attributes";
    case Call::ConsoleRows: return "console";
    case Call::OpenToRead: return "open";
    case Call::Read: return "read";
    case Call::Lock: return "lock";
    case Call::ByteLock: return "byte lock";
    case Call::CreateTemporary: return "create";
    case Call::RefuseTemporary: return "create?";
    case Call::CopyPermissions: return "permissions";
    case Call::AccessList: return "access list";
    case Call::OpenInPlace: return "open in place";
    case Call::Write: return "write";
    case Call::Truncate: return "truncate";
    case Call::Flush: return "flush";
    case Call::Replace: return "replace";
    case Call::FlushFolder: return "flush folder";
    case Call::Remove: return "remove";
    case Call::Mark: return "mark";
    case Call::List: return "list";
    case Call::Unlock: return "unlock";
    }
    return "?";
}

void Faults::ChangeOver() {
    holding = refusedNewFile = otherSaveFault = false;
    recordsRead.clear();
}

void Faults::Clear() {
    ChangeOver();
    nestedRecordsRead.clear();
    plan = {};
    nested = false;
    saveFaults = 0;
    calls = 0;
    inPlace = false;
    stallAt = cutAt = -1;
    stallInPlace = 0;
    stalled = nullptr;
    readSinceStall = changeOver = false;
    cut = false;
    disk = nullptr;
}

FaultPlan DrawPlan(std::mt19937_64 &random) {
    FaultPlan plan;
    if (Below(random, 2) == 0) return plan;  // half the steps meet no fault
    plan.readsFail = Below(random, 5) == 0;
    plan.lockFails = Below(random, 6) == 0;
    plan.removeFails = Below(random, 6) == 0;
    plan.saveFailurePercent = std::vector<int>{0, 5, 30}[Below(random, 3)];
    plan.refusalPercent = std::vector<int>{0, 0, 60}[Below(random, 3)];
    return plan;
}

std::string Described(const FaultPlan &plan) {
    std::string text;
    if (plan.readsFail) text += " reads";
    if (plan.lockFails) text += " lock";
    if (plan.removeFails) text += " remove";
    if (plan.saveFailurePercent) text += " saves" + std::to_string(plan.saveFailurePercent) + "%";
    if (plan.refusalPercent) text += " refusal" + std::to_string(plan.refusalPercent) + "%";
    return text.empty() ? "" : " [faults:" + text + "]";
}

bool Inject(Call call, const char *path) {
    const std::string file = path ? std::filesystem::path(path).filename().string() : "";
    const bool record = file.rfind("quorvel.ini.pending.", 0) == 0;
    if (faults.nested) {
        if (call == Call::OpenToRead && record) faults.nestedRecordsRead.push_back(file);
        return false;
    }
    // A stall belongs to the change it was armed for. One after it, in the
    // menu's look at the file, would leave the model unable to tell which
    // file the copy last read when its change failed.
    if (call == Call::Unlock) {
        faults.stallAt = -1;
        faults.stallInPlace = 0;
        faults.changeOver = true;
        return false;
    }
    ++faults.calls;
    if (faults.calls == faults.cutAt) faults.cut = true;
    if (faults.cut) return true;
    if (faults.disk) faults.disk->Saw(call, path ? path : "");
    // A rewrite in place holds the file's bytes from its open on, through
    // its reads, writes, truncation and flush; any other call comes after.
    faults.inPlace = faults.inPlace && (call == Call::Read || call == Call::Write ||
                                        call == Call::Truncate || call == Call::Flush);
    const bool dueInPlace = faults.inPlace && faults.stallInPlace > 0 && --faults.stallInPlace == 0;
    if ((faults.calls == faults.stallAt || dueInPlace) && faults.stalled) {
        const auto stalled = std::exchange(faults.stalled, nullptr);
        faults.nested = true;
        stalled(call, path);
        faults.nested = false;
        faults.readSinceStall = false;
    }
    if (call == Call::OpenInPlace) faults.inPlace = true;  // open once this call returns
    if (call == Call::FileStamp && file == "quorvel.ini.pending" && !faults.holding)
        faults.holding = faults.lockHeld && faults.lockHeld();
    const bool fail = Planned(call);
    if (call == Call::RefuseTemporary && fail && !record) faults.refusedNewFile = true;
    if (call == Call::OpenToRead && !fail) {
        if (record)
            faults.recordsRead.push_back(file);
        else if (!faults.changeOver)
            faults.readSinceStall = true;
    }
    return fail;
}

}  // namespace sim
