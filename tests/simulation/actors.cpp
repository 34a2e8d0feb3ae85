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
    faultSwitch(&Inject, 0, kSimulatedPatienceMs, kSimulatedStillMs, coarseSeconds_);
    // A copy starts with what it reads, and nothing waiting: its records
    // are anyone's to take up now.
    copy.waiting.clear();
    copy.memory.clear();
    copy.seen = -1;
    copy.firstHolding = true;
    if (last_.regular && world_.Spoilt() == Spoil::None && !heldInPlace_ && !last_.writerOpen) {
        copy.memory = ParseHistory(last_.bytes);
        // Coarse times switched on after its start: the stamp it read then
        // is finer than any it sees now, and its next look reads again.
        copy.seen = coarseSeconds_ > 0 ? -2 : version_;
    }
}

void Simulation::Act(Copy &copy, std::mt19937_64 &random) {
    faults.plan = DrawPlan(random);
    Note() += " copy " + std::to_string(copy.index) + Described(faults.plan);
}

// The stall of this step, if any, starts with the copy's change.
void Simulation::ArmStall(const Copy &copy) {
    if ((stallAt_ < 0 && stallInPlace_ == 0) || copy.index != stalledIndex_ || faults.nested)
        return;
    faults.calls = 0;
    faults.inPlace = faults.changeOver = false;
    faults.stallAt = std::exchange(stallAt_, -1);
    faults.stallInPlace = std::exchange(stallInPlace_, 0);
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
    // What waits is taken up first, where the lock is free: the copy's own,
    // and any copy's records once the mark is there (or cannot be looked at).
    if (!copy.waiting.empty() || marked_ || (!faults.nested && faults.plan.readsFail))
        copy.pending = Change::TakingUp();
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
// trim and purge meanwhile, and then it goes on. While it holds the lock no
// other copy replaces the history: they leave their names for a holder.
// Another program may write the history meanwhile: a save after that is
// made again on its file, unless it came in the save's last window, between
// its last look and its rename, which rule 8 names.
void Simulation::StallACopy(std::mt19937_64 &random) {
    Copy &stalled = AnyCopy(random);
    faults.plan.refusalPercent = Below(random, 3) == 0 ? 60 : 0;
    // A copy that cannot have the lock writes a record: stalled there, a
    // first holding's sweep must leave its new file alone.
    faults.plan.lockFails = Below(random, 4) == 0;
    Note() += " copy " + std::to_string(stalled.index) + Described(faults.plan);
    stalledIndex_ = stalled.index;
    // Where the folder takes no new file, half the stalls come inside the
    // rewrite in place, at its read, a write, its truncation or its flush.
    if (faults.plan.refusalPercent > 0 && Below(random, 2) == 0)
        stallInPlace_ = 1 + Below(random, 4);
    else
        stallAt_ = 1 + Below(random, 24);
    faults.stalled = [this, &stalled](Call call, const char *) {
        // A reader on Windows keeps the history from being replaced: a stall
        // there would only hold the others up.
        if (kWindows && call == Call::Read) return;
        try {
            ++totals_.stalls;
            Note() +=
                " [stalls at call " + std::to_string(faults.calls) + " (" + CallName(call) + "):";
            // Rewriting in place, a copy keeps every reader out until it is
            // done: no other copy may read the file, half written or not.
            if (faults.inPlace) {
                heldInPlace_ = world_.LookAtHistory();
                Note() += " rewriting in place";
            }
            // The stalled copy's own save is checked as its own, once it
            // has landed; one in place lands when it lets go.
            faults.nested = false;
            if (!heldInPlace_) SettleLandedSave(stalled);
            faults.nested = true;
            beforeStall_ = Before{last_, version_};
            lockHeld_ = world_.LockHeld();
            if (lockHeld_) Note() += " holds the lock";
            // A first creation takes the name only if it is free: no window.
            const bool window = call == Call::Replace && last_.exists;
            if (Below(*random_, 3) == 0 && world_.Spoilt() == Spoil::None && !heldInPlace_) {
                Entries lines = ParseHistory(last_.bytes);
                lines.push_back(StoredForm(RandomName(*random_)));
                world_.Rewrite(HistoryBytes(lines));
                AnotherProgramWrote();
                beingWritten_ = false;  // a new file in the place of one half written
                inWindow_ = window;
                Note() += window ? " | another program writes in the window"
                                 : " | another program writes the history";
            }
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
    stallInPlace_ = 0;
    beforeStall_.reset();
    lockHeld_ = inWindow_ = false;
    heldInPlace_.reset();
    leaving_.clear();
}

// Other loaded copies record, or open the menu, while one stands still;
// some start afresh first, and so sweep at their first holding.
void Simulation::ActWhileStalled(const Copy *stalled, std::mt19937_64 &random) {
    for (int n = 1 + Below(random, 3); n > 0; --n) {
        Copy *other = &AnyCopy(random);
        if (other == stalled) other = copies_[(other->index + 1) % copies_.size()].get();
        Note() += " | copy " + std::to_string(other->index);
        if (Below(random, 4) == 0) {
            Restart(*other);
            Note() += " restarts,";
        }
        if (Below(random, 10) < 6)
            RecordBy(*other, RandomName(random));
        else
            RunMenu(*other);
    }
}

// The same with a copy in a process of its own, stopped by a signal. Its
// first holding takes up every record there when it lists them.
void Simulation::StallAProcess(std::mt19937_64 &random, long step) {
    if (world_.Spoilt() != Spoil::None || beingWritten_) return;
    const std::string name = (world_.Root() / "odd").string() +
                             (kWindows ? "\\stopped" : "/stopped") + std::to_string(step);
    const int stopAt = 1 + Below(random, 24);
    std::vector<std::string> arguments{programs_.copy, programs_.library, world_.ModulePath()};
    for (std::string &option : ProcessOptions()) arguments.push_back(std::move(option));
    arguments.insert(arguments.end(), {"--stop-at", std::to_string(stopAt), name});
    Program copy(arguments);
    Recorded(name);
    Note() += " a copy records " + Quoted(name);
    const auto expectRan = [](int code) {
        Expect(code == 0,
               "the stopped copy failed to run (exit status " + std::to_string(code) + ")");
    };
    // Whether its save has taken the file's place: then it is checked now,
    // with the records it took laid before its name: every one there when
    // it had not stopped yet, those it removed once it has ended.
    const auto settleIfLanded = [&](bool ended) {
        const Look now = world_.LookAtHistory();
        if (!Differs(now, last_, false)) return false;
        const Records left = world_.PendingRecords();
        Entries mine = ParseHistory(last_.bytes);
        for (const auto &[record, held] : records_)
            if ((!ended || !left.count(record)) && world_.Trusted(record, last_))
                sim::Record(mine, held);
        sim::Record(mine, name);
        Expect(now.bytes == HistoryBytes(mine),
               "a stopped copy's save is not what the rules give: " + Shown(mine) + ", found " +
                   Shown(ParseHistory(now.bytes)));
        CheckTrimmedStayTrimmed(now);
        TookNote(now);
        TakeNoteOfRecords();  // those it has removed so far
        return true;
    };
    if (copy.WaitUntilStopped()) {
        ++totals_.stalls;
        Note() += " and stops at call " + std::to_string(stopAt) + ":";
        const bool landed = settleIfLanded(false);
        lockHeld_ = world_.LockHeld();
        if (lockHeld_) Note() += " holds the lock";
        faults.nested = true;
        try {
            ActWhileStalled(nullptr, random);
        } catch (...) {
            faults.nested = lockHeld_ = false;
            throw;
        }
        faults.nested = lockHeld_ = false;
        copy.Resume();
        expectRan(copy.Wait());
        if (!landed) Expect(settleIfLanded(true), "a stopped copy's name was not saved");
        TakeNoteOfRecords();
    } else {
        expectRan(copy.Wait());
        Note() += " and never stops";
        Expect(settleIfLanded(true), "a copy's name was not saved");
    }
}

// The power goes at one of a copy's calls, or after its change; every copy
// starts again with what the disk kept. The history is then the old one or
// the new one, whole lines, and a save reported done is kept; no name that
// a record held is lost.
void Simulation::CutThePower(std::mt19937_64 &random) {
    if (world_.Spoilt() != Spoil::None || beingWritten_) return;
    Copy &copy = AnyCopy(random);
    std::string name = RandomName(random);
    if (!Recordable(name)) name = world_.FileName(0);
    const std::optional<std::string> before =
        last_.regular ? std::optional<std::string>(last_.bytes) : std::nullopt;
    // What it takes up: every record when it lists them, its own anyway;
    // its waiting names whose records another holder took it lays no more.
    std::erase_if(copy.waiting, [&](const Waiting &waiting) {
        return !waiting.record.empty() && !records_.count(waiting.record);
    });
    Recorded(StoredForm(name));
    std::vector<std::string> taken;
    for (const auto &[record, held] : records_)
        if ((copy.firstHolding || marked_ ||
             std::any_of(copy.waiting.begin(), copy.waiting.end(),
                         [&](const Waiting &w) { return w.record == record; })) &&
            world_.Trusted(record, last_))
            taken.push_back(record);
    const std::string fresh =
        HistoryBytes(HolderList(copy, Change::Recording(StoredForm(name)), last_, version_, taken));
    Disk disk;
    faults.disk = &disk;
    faults.cutAt = 1 + Below(random, 28);
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
    if (survivor) CheckTrimmedStayTrimmed(Look{.bytes = *survivor});
    world_.PutHistory(survivor);
    // A record's removal was not flushed: it may come back.
    const Records left = world_.PendingRecords();
    for (const auto &[record, held] : records_)
        if (!left.count(record) && Below(random, 2) == 0) world_.PutRecord(record, held);
    const Entries kept = survivor ? ParseHistory(*survivor) : Entries{};
    // By file: a recording of the same file spelt otherwise takes its place.
    std::set<std::string> onDisk;
    for (const std::string &line : kept) onDisk.insert(FileKey(line));
    for (const auto &[record, held] : world_.PendingRecords()) onDisk.insert(FileKey(held));
    // A record goes only once the history that holds its name is on disk.
    for (const auto &[record, held] : records_)
        Expect(held.empty() || onDisk.count(FileKey(held)),
               "after the power cut " + Quoted(held) + " is nowhere on disk");
    TookNote(world_.LookAtHistory());
    TakeNoteOfRecords();
    // Everything stopped: the copies start again, and what a save left
    // beside the history waits for a first holding's sweep.
    CheckStrays(true);
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
        AnotherProgramWrote();
        return;
    }
    const int roll = Below(random, 100);
    if (beingWritten_ || roll < 22) {
        WriteInPlace(random);
        return;
    }
    if (roll < 64) {
        std::string bytes;
        if (roll < 34) {
            Entries lines;
            for (int n = Below(random, 6); n > 0; --n)
                lines.push_back(StoredForm(RandomName(random)));
            bytes = HistoryBytes(lines);
            if (Below(random, 3) == 0 && !bytes.empty()) bytes.pop_back();  // a break of LF alone
        } else if (roll < 48) {
            static const char kBytes[] = "ab/\\.\r\n\0\xE9\xFF ";
            for (int n = Below(random, 80); n > 0; --n)
                bytes += kBytes[Below(random, sizeof kBytes - 1)];
        } else if (roll < 58) {
            bytes = last_.bytes.substr(0, Below(random, static_cast<int>(last_.bytes.size()) + 1));
        }
        world_.Rewrite(bytes);
        Note() += " writes " + Quoted(bytes);
    } else if (roll < 80) {
        if (last_.exists) world_.RemoveHistory();
        // A copy then writes the history anew from its memory, which may
        // hold what a trim or a purge removed since it last read.
        removedAt_.clear();
        Note() += " removes the history";
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
    AnotherProgramWrote();
}

// Another program writes the history in place, as cp over it does: half of
// it first, copies acting before the rest (the file is being written: none
// may save over it); then the rest, and a date set at its end, or not yet.
// Or a same-size rewrite whose write time is put back, which the change
// time still shows (not on a coarse file system within one of its steps).
void Simulation::WriteInPlace(std::mt19937_64 &random) {
    if (!last_.regular) return;
    if (beingWritten_) {
        Entries lines = ParseHistory(last_.bytes);
        lines.push_back(StoredForm(RandomName(random)));
        world_.RewriteInPlace(HistoryBytes(lines));
        Note() += " goes on writing the history in place";
        if (Below(random, 2) == 0) {
            // Ahead by more than a coarse file system's step: a write time
            // set back could repeat one a copy kept, on such a file system.
            world_.DateHistory(world_.LookAtHistory().time + 3 * kTicksPerSecond);
            beingWritten_ = false;
            Note() += " and dates it";
        }
    } else if (Below(random, 2) == 0 || coarseSeconds_ > 0 || last_.bytes.empty()) {
        Entries lines = ParseHistory(last_.bytes);
        lines.push_back(StoredForm(RandomName(random)));
        const std::string bytes = HistoryBytes(lines);
        world_.RewriteInPlace(bytes.substr(0, bytes.size() / 2));
        beingWritten_ = true;
        Note() += " writes half of the history in place";
    } else {
        std::string bytes = last_.bytes;
        const std::size_t at =
            bytes.find_first_not_of("\r\n", Below(random, static_cast<int>(bytes.size())));
        if (at == std::string::npos) return;
        bytes[at] = bytes[at] == 'q' ? 'z' : 'q';
        world_.RewriteInPlace(bytes);
        world_.DateHistory(last_.time);
        Note() += " rewrites a byte in place and puts the write time back";
    }
    AnotherProgramWrote();
}

// A copy in a process of its own records a name and dies at one of its
// calls. Its first holding takes up every record; what it saved is the
// history with them and its name, and a crash before its removals leaves
// records that a later holder takes up again.
void Simulation::CrashACopy(std::mt19937_64 &random) {
    std::string name = RandomName(random);
    if (!Recordable(name)) name = world_.FileName(0);
    const int crashAt = 1 + Below(random, 24);
    const Look before = last_;
    std::vector<std::string> arguments{programs_.copy, programs_.library, world_.ModulePath()};
    for (std::string &option : ProcessOptions()) arguments.push_back(std::move(option));
    arguments.insert(arguments.end(), {"--crash-at", std::to_string(crashAt), name});
    const int code = RunProgram(arguments);
    Expect(code == 0 || code == 77,
           "the crashing copy failed to run (exit status " + std::to_string(code) + ")");
    totals_.crashes += code == 77;
    Note() += " a copy records " + Quoted(name) +
              (code == 77 ? " and dies at call " : " and lives past call ") +
              std::to_string(crashAt);
    const Look now = world_.LookAtHistory();
    const bool saved = Differs(now, before, world_.Spoilt() == Spoil::Held);
    const Records left = world_.PendingRecords();
    CheckStrays(code == 77);
    Recorded(StoredForm(name));
    if (saved) {
        CheckTrimmedStayTrimmed(now);
        Expect(world_.Spoilt() == Spoil::None && !world_.BeingWritten(before),
               "a history the copy could not read, or another program was writing, was replaced");
        Entries expected = WithRecordsTaken(before.exists ? ParseHistory(before.bytes) : Entries{});
        sim::Record(expected, StoredForm(name));
        Expect(now.bytes == HistoryBytes(expected),
               "a crashed copy's save is not what the rules give");
        TookNote(now);
    } else {
        for (const auto &[record, held] : records_)
            Expect(left.count(record) != 0, "a record was removed by a copy that saved nothing");
        for (const auto &[record, held] : left)
            Expect(records_.count(record) || held == StoredForm(name),
                   "a crashed copy left a record of " + Quoted(held));
    }
    TakeNoteOfRecords();
}

// Copies in processes of their own record as fast as they can, some names
// new, some already in the history; sometimes the folder takes no new files,
// and sometimes one of them runs as another user, who may write the history
// too. Every name must be kept once, in the history or in a record, and no
// line spliced.
void Simulation::RecordAtOnce(std::mt19937_64 &random, long step) {
    if (world_.Spoilt() != Spoil::None || beingWritten_) return;
    const Entries before = ParseHistory(last_.bytes);
    const Records recordsBefore = records_;
    // A folder that takes no new files can only keep a history that is there.
    const bool refusing = Below(random, 3) == 0 && last_.regular;
    // The other user may read and write a history that is there: where it
    // could not, its names would wait in its memory alone, as they must.
    const bool twoUsers =
        !refusing && last_.regular && Below(random, 3) == 0 && world_.ShareWithAnotherUser();
    std::vector<Entries> sequences(2 + Below(random, 2));
    std::vector<Program> programs;
    const std::string folder = (world_.Root() / "odd").string() + (kWindows ? "\\" : "/");
    for (std::size_t p = 0; p < sequences.size(); ++p) {
        std::vector<std::string> arguments{programs_.copy, programs_.library, world_.ModulePath()};
        for (std::string &option : ProcessOptions()) arguments.push_back(std::move(option));
        if (refusing) arguments.push_back("--refuse");
        if (twoUsers && p == 0) arguments.insert(arguments.end(), {"--as-user", "65534"});
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
    for (const Entries &sequence : sequences)
        for (const std::string &name : sequence) Recorded(name);
    Note() += " " + std::to_string(sequences.size()) + " copies record at once" +
              (refusing ? " where the folder takes no new files" : "") +
              (twoUsers ? ", one as another user" : "");
    TookNote(world_.LookAtHistory());
    TakeNoteOfRecords();
    CheckStrays(false);
    CheckTrimmedStayTrimmed(last_);
    CheckBurst(sequences, before, recordsBefore);
}

std::vector<std::string> Simulation::ProcessOptions() const {
    return {"--still", std::to_string(kSimulatedStillMs), "--coarse",
            std::to_string(coarseSeconds_)};
}

}  // namespace sim
