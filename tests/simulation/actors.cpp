// The simulation's actors: the copies recording, opening the menu, being
// stalled, crashing or losing their power, copies in processes of their own
// recording at once, and other programs at the history and the lock's path.
#include <algorithm>
#include <utility>

#include "plugin/run_program.h"
#include "simulation/checks.h"
#include "simulation/fault_switch.h"
#include "simulation/faults.h"
#include "simulation/power_cut.h"
#include "simulation/simulation.h"

namespace sim {

Simulation::Copy &Simulation::AnyCopy(std::mt19937_64 &random) {
    return *copies_[Below(random, static_cast<int>(copies_.size()))];
}

void Simulation::Restart(Copy &copy) {
    copy.host->UnloadPlugin();
    std::string error;
    Expect(copy.host->LoadPlugin(copy.library, &error), "the plug-in did not load: " + error);
    const auto faultSwitch = reinterpret_cast<FaultSwitchFn>(copy.host->PluginSymbol(kFaultSwitch));
    Expect(faultSwitch != nullptr, "the plug-in has no fault switch");
    // No flush to disk: the power cut is the disk model's, from the calls.
    faultSwitch(&Inject, 0, kSimulatedPatienceMs);
    // A copy starts with what it reads, and nothing unsaved.
    copy.unsaved.clear();
    copy.memory.clear();
    copy.seen = -1;
    copy.sweeps = true;
    if (last_.regular && world_.Spoilt() == Spoil::None) {
        copy.memory = ParseHistory(last_.bytes);
        copy.seen = version_;
    }
}

void Simulation::Act(Copy &copy, std::mt19937_64 &random) {
    faults.plan = DrawPlan(random);
    Note() += " copy " + std::to_string(copy.index) + Described(faults.plan);
}

// The stall of this step, if any, starts with the copy's change.
void Simulation::ArmStall(const Copy &copy) {
    if (stallAt_ < 0 || copy.index != stalledIndex_ || faults.nested) return;
    faults.calls = 0;
    faults.inPlace = false;
    faults.stallAt = std::exchange(stallAt_, -1);
}

void Simulation::RecordBy(Copy &copy, const std::string &name) {
    Note() += " records " + Quoted(name);
    if (Recordable(name)) copy.pending = Change::Recording(StoredForm(name));
    ArmStall(copy);
    copy.host->OpenEditorWindow(name);
    copy.host->CloseWindow(1);
    RaiseKept();
    SettlePending(copy);
}

void Simulation::Record(std::mt19937_64 &random) {
    Copy &copy = AnyCopy(random);
    Act(copy, random);
    RecordBy(copy, RandomName(random));
}

void Simulation::RunMenu(Copy &copy) {
    Note() += " opens the menu:";
    copy.run = std::make_unique<Run>();
    copy.host->OpenPlugin();
    RaiseKept();
    SettlePending(copy);
    if (copy.run->endsIfEmpty && copy.memory.empty()) copy.run->displayDue = false;
    Expect(!copy.run->displayDue, "the menu did not come back");
    copy.run.reset();
    while (copy.host->Windows().size() > 1) copy.host->CloseWindow(1);
}

void Simulation::ShowMenu(std::mt19937_64 &random) {
    Copy &copy = AnyCopy(random);
    Act(copy, random);
    RunMenu(copy);
}

// A copy stops at a call inside a recording or a trim, other copies record,
// trim and purge meanwhile, and then it goes on. A holder that shows no
// progress is passed; whoever saves after whom, no name may be lost.
void Simulation::StallACopy(std::mt19937_64 &random) {
    Copy &stalled = AnyCopy(random);
    faults.plan.refusalPercent = Below(random, 3) == 0 ? 60 : 0;
    Note() += " copy " + std::to_string(stalled.index) + Described(faults.plan);
    stalledIndex_ = stalled.index;
    stallAt_ = 1 + Below(random, 16);
    faults.stalled = [this, &stalled](Call call, const char *) {
        // Rewriting in place, a copy keeps every reader out until it is
        // done: a stall there would only hold the others up. So does a
        // reader on Windows, where a file open anywhere cannot be replaced.
        if (faults.inPlace || (kWindows && call == Call::Read)) return;
        try {
            ++totals_.stalls;
            Note() +=
                " [stalls at call " + std::to_string(faults.calls) + " (" + CallName(call) + "):";
            // The stalled copy's own save is checked as its own.
            faults.nested = false;
            SettleLandedSave(stalled);
            faults.nested = true;
            beforeStall_ = Before{last_, version_};
            ActWhileStalled(&stalled, *random_);
            Note() += " ]";
        } catch (const Violation &violation) {
            if (!violation_) violation_ = violation;
        }
    };
    if (Below(random, 3) == 0)
        RunMenu(stalled);
    else
        RecordBy(stalled, RandomName(random));
    stallAt_ = -1;
    beforeStall_.reset();
}

// Other loaded copies record, or open the menu, while one stands still.
void Simulation::ActWhileStalled(const Copy *stalled, std::mt19937_64 &random) {
    for (int n = 1 + Below(random, 3); n > 0; --n) {
        Copy *other = &AnyCopy(random);
        if (other == stalled) other = copies_[(other->index + 1) % copies_.size()].get();
        Note() += " | copy " + std::to_string(other->index);
        if (Below(random, 10) < 6)
            RecordBy(*other, RandomName(random));
        else
            RunMenu(*other);
    }
}

// The same with a copy in a process of its own, stopped by a signal.
void Simulation::StallAProcess(std::mt19937_64 &random, long step) {
#ifdef _WIN32
    (void)random;
    (void)step;
#else
    if (world_.Spoilt() != Spoil::None) return;
    const std::string name = (world_.Root() / "odd").string() + "/stopped" + std::to_string(step);
    const int stopAt = 1 + Below(random, 16);
    Program copy({programs_.copy, programs_.library, world_.ModulePath(), "--stop-at",
                  std::to_string(stopAt), name});
    Note() += " a copy records " + Quoted(name);
    const auto expectRan = [](int code) {
        Expect(code == 0,
               "the stopped copy failed to run (exit status " + std::to_string(code) + ")");
    };
    // Whether its save has taken the file's place: then it is checked now.
    const auto settleIfLanded = [&] {
        const Look now = world_.LookAtHistory();
        if (!Differs(now, last_, false)) return false;
        Entries mine = ParseHistory(last_.bytes);
        sim::Record(mine, name);
        Expect(now.bytes == HistoryBytes(mine), "a stopped copy's save is not what the rules give");
        TookNote(now);
        return true;
    };
    if (copy.WaitUntilStopped()) {
        ++totals_.stalls;
        Note() += " and stops at call " + std::to_string(stopAt) + ":";
        const bool landed = settleIfLanded();
        faults.nested = true;
        try {
            ActWhileStalled(nullptr, random);
        } catch (...) {
            faults.nested = false;
            throw;
        }
        faults.nested = false;
        copy.Resume();
        expectRan(copy.Wait());
        if (!landed) Expect(settleIfLanded(), "a stopped copy's name was not saved");
    } else {
        expectRan(copy.Wait());
        Note() += " and never stops";
        Expect(settleIfLanded(), "a copy's name was not saved");
    }
#endif
}

// The power goes at one of a copy's calls, or after its change; every copy
// starts again with what the disk kept. The history is then the old one or
// the new one, whole lines, and a save reported done is kept.
void Simulation::CutThePower(std::mt19937_64 &random) {
    if (world_.Spoilt() != Spoil::None) return;
    Copy &copy = AnyCopy(random);
    std::string name = RandomName(random);
    if (!Recordable(name)) name = world_.FileName(0);
    const std::optional<std::string> before =
        last_.regular ? std::optional<std::string>(last_.bytes) : std::nullopt;
    const std::string fresh = HistoryBytes(Expected(copy, Change::Recording(StoredForm(name))));
    Disk disk;
    faults.disk = &disk;
    faults.cutAt = 1 + Below(random, 20);
    Note() += " copy " + std::to_string(copy.index) + " records " + Quoted(name) +
              " and the power goes at call " + std::to_string(faults.cutAt);
    copy.host->OpenEditorWindow(name);
    copy.host->CloseWindow(1);
    const bool cutInChange = faults.cut;
    faults.Clear();
    ++totals_.powerCuts;
    const Look now = world_.LookAtHistory();
    const bool reported = cutInChange ? disk.FolderFlushed() : Differs(now, last_, false);
    const std::optional<std::string> survivor =
        disk.Survivor(before, now.bytes, Below(random, 2) == 0);
    const auto shown = [](const std::optional<std::string> &bytes) {
        return bytes ? Shown(ParseHistory(*bytes)) : std::string("(no file)");
    };
    if (reported)
        Expect(survivor && *survivor == now.bytes,
               "a save reported done did not survive the power cut: " + shown(survivor));
    Expect(
        survivor == before || survivor == fresh,
        "after the power cut the history is neither the old one nor the new: " + shown(survivor));
    world_.PutHistory(survivor);
    TookNote(world_.LookAtHistory());
    // Everything stopped: the copies start again, and what a save left
    // beside the history waits for the first sweep after loading.
    if (LeftSomething()) DebrisLeft(false, -1);
    for (auto &each : copies_) Restart(*each);
}

void Simulation::ActAsAnotherProgram(std::mt19937_64 &random) {
    Note() += " another program";
    if (world_.Spoilt() == Spoil::Held) {
        world_.MendHistory();  // letting go of a file changes nothing in it
        Note() += " lets go of the history";
        last_ = world_.LookAtHistory();
        return;
    }
    if (world_.Spoilt() != Spoil::None) {
        world_.MendHistory();
        Note() += " mends the history";
        TookNote(world_.LookAtHistory());
        return;
    }
    const int roll = Below(random, 100);
    if (roll < 55) {
        std::string bytes;
        if (roll < 20) {
            Entries lines;
            for (int n = Below(random, 6); n > 0; --n)
                lines.push_back(StoredForm(RandomName(random)));
            bytes = HistoryBytes(lines);
            if (Below(random, 3) == 0 && !bytes.empty()) bytes.pop_back();  // a break of LF alone
        } else if (roll < 38) {
            static const char kBytes[] = "ab/\\.\r\n\0\xE9\xFF ";
            for (int n = Below(random, 80); n > 0; --n)
                bytes += kBytes[Below(random, sizeof kBytes - 1)];
        } else if (roll < 50) {
            bytes = last_.bytes.substr(0, Below(random, static_cast<int>(last_.bytes.size()) + 1));
        }
        world_.Rewrite(bytes);
        Note() += " writes " + Quoted(bytes);
    } else if (roll < 64) {
        if (last_.exists) world_.RemoveHistory();
        Note() += " removes the history";
    } else if (roll < 86) {
        SpoilTheLock(random);
        return;
    } else {
        const Spoil how = std::vector<Spoil>{Spoil::Oversize, Spoil::Fifo, Spoil::Folder,
                                             Spoil::Held}[Below(random, 4)];
        if (!world_.SpoilHistory(how)) return;
        Note() += " spoils the history (" + std::to_string(static_cast<int>(how)) + ")";
        if (how == Spoil::Held) {
            last_ = world_.LookAtHistory();
            return;
        }
    }
    TookNote(world_.LookAtHistory());
}

// Another program puts something at the lock's path, or takes it away.
void Simulation::SpoilTheLock(std::mt19937_64 &random) {
    // The lock file goes with a crash's mark; the one made next is marked
    // anew, so the next save under the lock still sweeps.
    if (world_.LockSpoilt() != LockSpoil::None) {
        world_.MendLock();
        Note() += " clears the lock's path";
        return;
    }
    const auto how = static_cast<LockSpoil>(1 + Below(random, 4));
    if (world_.SpoilLock(how))
        Note() += " puts a " + std::string(LockSpoilName(how)) + " at the lock's path";
}

void Simulation::CrashACopy(std::mt19937_64 &random) {
    std::string name = RandomName(random);
    if (!Recordable(name)) name = world_.FileName(0);
    const int crashAt = 1 + Below(random, 14);
    const Look before = last_;
    const int code = RunProgram({programs_.copy, programs_.library, world_.ModulePath(),
                                 "--crash-at", std::to_string(crashAt), name});
    Expect(code == 0 || code == 77,
           "the crashing copy failed to run (exit status " + std::to_string(code) + ")");
    totals_.crashes += code == 77;
    Note() += " a copy records " + Quoted(name) +
              (code == 77 ? " and dies at call " : " and lives past call ") +
              std::to_string(crashAt);
    const Look now = world_.LookAtHistory();
    const bool saved = Differs(now, before, world_.Spoilt() == Spoil::Held);
    // A copy's first save under the lock sweeps; a crash can leave its own,
    // and then its mark on the lock file too.
    if (LeftSomething())
        DebrisLeft(Lockable(), -1);
    else if (code != 77 && saved && Lockable())
        Swept();
    if (!saved) return;
    Expect(world_.Spoilt() == Spoil::None, "a history the copy could not read was replaced");
    Entries expected = before.exists ? ParseHistory(before.bytes) : Entries{};
    sim::Record(expected, StoredForm(name));
    Expect(now.bytes == HistoryBytes(expected), "a crashed copy's save is not what the rules give");
    TookNote(now);
}

// Copies in processes of their own record as fast as they can, some names
// new, some already in the history; sometimes the folder takes no new files.
// Every name must be kept once, and no line spliced.
void Simulation::RecordAtOnce(std::mt19937_64 &random, long step) {
    if (world_.Spoilt() != Spoil::None) return;
    const Entries before = ParseHistory(last_.bytes);
    // A folder that takes no new files can only keep a history that is there.
    const bool refusing = Below(random, 3) == 0 && last_.regular;
    std::vector<Entries> sequences(2 + Below(random, 2));
    std::vector<Program> programs;
    const std::string folder = (world_.Root() / "odd").string() + (kWindows ? "\\" : "/");
    for (std::size_t p = 0; p < sequences.size(); ++p) {
        std::vector<std::string> arguments{programs_.copy, programs_.library, world_.ModulePath()};
        if (refusing) arguments.push_back("--refuse");
        for (int n = 3 + Below(random, 8); n > 0; --n) {
            std::string name = folder + "burst" + std::to_string(step) + "-" + std::to_string(p) +
                               "-" + std::to_string(n);
            // Recorded again, an entry moves to the end.
            if (!before.empty() && Below(random, 3) == 0) {
                const std::string &entry = before[Below(random, static_cast<int>(before.size()))];
                if (Recordable(entry)) name = entry;
            }
            // Kept as the plug-in keeps it: an entry another program wrote
            // with slashes comes back with backslashes on Windows.
            const std::string stored = StoredForm(name);
            if (std::find(sequences[p].begin(), sequences[p].end(), stored) != sequences[p].end())
                continue;
            sequences[p].push_back(stored);
            arguments.push_back(name);
        }
        programs.emplace_back(arguments);
    }
    for (Program &program : programs) Expect(program.Wait() == 0, "a recording copy failed to run");
    Note() += " " + std::to_string(sequences.size()) + " copies record at once" +
              (refusing ? " where the folder takes no new files" : "");
    TookNote(world_.LookAtHistory());
    CheckBurst(sequences, before);
}

}  // namespace sim
