// The model: what the rules say each copy holds and the file must hold
// after every change, and the checks of every menu, prompt and notice a copy
// shows against it. Stated apart from the plug-in's code.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>

#include "simulation/checks.h"
#include "simulation/faults.h"
#include "simulation/simulation.h"

namespace sim {
namespace {

// The acting copy's plan; copies acting during a stall meet no faults.
const FaultPlan &Plan() {
    static const FaultPlan kNone;
    return faults.nested ? kNone : faults.plan;
}

}  // namespace

// Brings the copy up to the file as its menu's first look does: its records
// that a holder took are no longer waiting, and a file it has not seen is
// read, its waiting recordings laid on it.
void Simulation::CatchUp(Copy &copy) {
    if (Plan().readsFail) return;  // it cannot even tell which records are gone
    // As the files stand: a record a stopped holder took up and has not
    // removed yet still waits, to this copy.
    const Records onDisk = world_.PendingRecords();
    std::erase_if(copy.waiting, [&](const Waiting &waiting) {
        return !waiting.record.empty() && !onDisk.count(waiting.record);
    });
    if (!last_.exists || copy.seen == version_ || world_.Spoilt() != Spoil::None || heldInPlace_ ||
        last_.writerOpen)
        return;
    copy.memory = AsRead(copy, last_, version_);
    copy.seen = version_;
}

// The copy's list after reading the file as `read`: its waiting recordings
// laid on it, as the plug-in lays them after every read.
Entries Simulation::AsRead(const Copy &copy, const Look &read, long version) const {
    if (!read.exists || copy.seen == version) return copy.memory;
    Entries list = ParseHistory(read.bytes);
    for (const Waiting &waiting : copy.waiting) sim::Record(list, waiting.name);
    return list;
}

Entries Simulation::HolderList(const Copy &copy, const Change &change, const Look &read,
                               long version, const std::vector<std::string> &taken) const {
    Entries list = AsRead(copy, read, version);
    for (const std::string &record : taken) {
        const auto found = records_.find(record);
        if (found != records_.end() && !found->second.empty()) sim::Record(list, found->second);
    }
    for (const Waiting &waiting : copy.waiting)
        if (waiting.record.empty()) sim::Record(list, waiting.name);
    Apply(list, change);
    return list;
}

void Apply(Entries &list, const Change &change) {
    switch (change.kind) {
    case Change::Record: sim::Record(list, change.name); break;
    case Change::Trim:
        if (list.size() > static_cast<std::size_t>(change.keep))
            list.erase(list.begin(), list.end() - change.keep);
        break;
    case Change::Purge:
        std::erase_if(list, [&](const std::string &entry) {
            return change.gone.count(FileKey(entry)) && !World::Exists(entry);
        });
        break;
    case Change::TakeUp: break;
    }
}

// After a copy made a change: the history is what the rules give for it,
// and the records it took up are gone; or, where it could not save, the
// history is exactly as it was, and a recording waits in a record of its
// own (in memory only where a failure kept even that from being written).
void Simulation::Settle(Copy &copy, const Change &change) {
    const Look now = world_.LookAtHistory();
    const bool nested = faults.nested;
    // What the copy's change may have replaced: during a rewrite in place,
    // the file as the stalled copy has left it so far.
    const Look &before = nested && heldInPlace_ ? *heldInPlace_ : last_;
    const bool wrote = Differs(now, before, world_.Spoilt() == Spoil::Held);
    // A change that saved nothing after a stall, and did not open the file
    // since, worked on the file as it was before the others acted; so did a
    // save that another program wrote under in its last window.
    const bool readBefore = !nested && beforeStall_ && beforeStall_->version != version_ &&
                            ((!wrote && !faults.readSinceStall) || (wrote && inWindow_));
    const Found found =
        readBefore ? Found{beforeStall_->file, beforeStall_->version} : Found{last_, version_};
    if (!nested) inWindow_ = false;  // the window was the stalled change's
    // The records it read, as its calls show, but those it found gone
    // (another holder took them up) and another user's, which it only
    // looked at.
    std::vector<std::string> taken =
        nested ? std::exchange(faults.nestedRecordsRead, {}) : faults.recordsRead;
    std::erase_if(taken, [&](const std::string &record) {
        return (!records_.count(record) && !leaving_.count(record)) ||
               !world_.Trusted(record, found.read);
    });
    const bool holding = nested ? !lockHeld_ : faults.holding;
    // A holder drops its waiting names whose records another holder took
    // up: laid again, they would undo a trim or a purge since.
    if (holding && !Plan().readsFail)
        std::erase_if(copy.waiting, [&](const Waiting &waiting) {
            return !waiting.record.empty() && !records_.count(waiting.record) &&
                   !leaving_.count(waiting.record);
        });
    if (change.kind == Change::Record) Recorded(change.name);
    if (wrote) {
        Expect(!nested || !lockHeld_, "a copy replaced the history while another held the lock");
        SettleSaved(copy, change, now, found, taken);
    } else {
        // It laid the records on its list when it got past reading the file.
        // Another program's writing handle keeps a copy's read out (Windows).
        const bool unread =
            Plan().readsFail || (found.read.exists && copy.seen != found.version &&
                                 (world_.Spoilt() != Spoil::None || found.read.writerOpen));
        SettleUnsaved(copy, change, holding, holding && !unread, found, taken);
    }
    // A rewrite in place put back: the same contents, a new change time. The
    // copy keeps the stamp of what it put back; the others read it again.
    if (!wrote && now.exists && world_.Kept(now.changed) != world_.Kept(before.changed)) {
        last_ = now;
        copy.seen = ++version_;
    }
    if (!nested) faults.ChangeOver();
    marked_ = world_.Marked();
}

void Simulation::SettleSaved(Copy &copy, const Change &change, const Look &now, const Found &found,
                             const std::vector<std::string> &taken) {
    Expect(!world_.BeingWritten(found.read),
           "a copy saved over a history another program was writing");
    const Entries expected = HolderList(copy, change, found.read, found.version, taken);
    Expect(now.regular && now.bytes == HistoryBytes(expected),
           "the history saved is not what the rules give: expected " + Shown(expected) +
               ", found " + Shown(ParseHistory(now.bytes)));
    const bool removalsFail = !faults.nested && Plan().removeFails;
    // A copy stopped after its save may not have removed them yet: they go
    // when it goes on.
    if (landing_ && !removalsFail) leaving_.insert(taken.begin(), taken.end());
    const Records recordsNow = RecordsOnDisk();
    for (const std::string &record : taken)
        Expect(!recordsNow.count(record) || removalsFail,
               "a record taken up was not removed once its names were saved: " + record);
    for (const auto &[record, name] : records_)
        Expect(recordsNow.count(record) ||
                   std::find(taken.begin(), taken.end(), record) != taken.end(),
               "a record no save took up was removed: " + record);
    // Its first holding lists every record, and so does every holding that
    // finds the mark; each takes up the copy's own in any case.
    const bool listsAll = copy.firstHolding || marked_;
    if (!faults.nested && !beforeStall_ && !Plan().readsFail)
        for (const auto &[record, name] : records_) {
            if (!world_.Trusted(record, found.read)) continue;
            const bool own = std::any_of(copy.waiting.begin(), copy.waiting.end(),
                                         [&](const Waiting &w) { return w.record == record; });
            Expect(
                !(listsAll || own) || std::find(taken.begin(), taken.end(), record) != taken.end(),
                "a holder left a record it should have taken up: " + record);
        }
    const bool trims = change.kind == Change::Trim || change.kind == Change::Purge;
    const Entries laid =
        trims ? HolderList(copy, Change::TakingUp(), found.read, found.version, taken) : Entries{};
    CheckTrimmedStayTrimmed(now);
    copy.memory = expected;
    std::erase_if(copy.waiting, [&](const Waiting &waiting) {
        return waiting.record.empty() ||
               std::find(taken.begin(), taken.end(), waiting.record) != taken.end();
    });
    if (trims) NoteRemoved(laid, expected, recordsNow);
    for (const Waiting &waiting : copy.waiting) sim::Record(copy.memory, waiting.name);
    // Its first holding swept what crashes and failures left.
    if (copy.firstHolding && !removalsFail && !beforeStall_ && !faults.nested) {
        CheckStrays(false);
        debris_ = false;
    }
    copy.firstHolding = false;
    records_ = recordsNow;
    copy.seen = ++version_;
    last_ = now;
    ++totals_.saves;
}

void Simulation::SettleUnsaved(Copy &copy, const Change &change, bool holding, bool readIt,
                               const Found &found, const std::vector<std::string> &taken) {
    // It laid the records on its list when it read the file and no other
    // program was writing it.
    const bool laid = readIt && !world_.BeingWritten(found.read);
    const Look &read = found.read;
    const long readVersion = found.version;
    const Records recordsNow = RecordsOnDisk();
    const int saveFaults = faults.nested ? 0 : std::exchange(faults.saveFaults, 0);
    for (const auto &[record, name] : records_)
        Expect(recordsNow.count(record) != 0,
               "a record was removed by a change that saved nothing");
    // Why it saved nothing: it could not hold the lock, or read the file, or
    // the file was being written, or a failure was met in its save; or it
    // was a take-up that found nothing to lay.
    const bool blocked = !holding || !laid || saveFaults > 0 || Plan().removeFails;
    const bool nothingWaited =
        change.kind == Change::TakeUp && taken.empty() &&
        std::none_of(copy.waiting.begin(), copy.waiting.end(),
                     [](const Waiting &waiting) { return waiting.record.empty(); });
    Expect(blocked || nothingWaited || world_.Spoilt() == Spoil::Held,
           "a change that met no failure was not saved");
    // A cause that lasts: the history cannot be looked at or read, is no
    // file, or a first creation's folder takes no new file.
    const Spoil spoil = world_.Spoilt();
    const bool lasting =
        Plan().readsFail || spoil == Spoil::Folder || spoil == Spoil::Fifo ||
        (holding && (spoil == Spoil::Oversize || (!faults.nested && faults.refusedNewFile &&
                                                  !faults.otherSaveFault && !found.read.exists)));
    if (holding) copy.firstHolding = false;
    Entries list = laid ? HolderList(copy, change, read, readVersion, taken)
                        : (readIt ? AsRead(copy, read, readVersion) : copy.memory);
    if (readIt && read.exists) copy.seen = readVersion;
    if (change.kind == Change::Record) {
        sim::Record(list, change.name);
        std::string made;
        for (const auto &[record, name] : recordsNow)
            if (!records_.count(record)) {
                Expect(made.empty() && name == change.name, "a record appeared that holds " +
                                                                Quoted(name) + ", not " +
                                                                Quoted(change.name));
                made = record;
            }
        Expect(!made.empty() || saveFaults > 0 || Plan().removeFails || lasting,
               "a recording that met no failure was left in memory only");
        Expect(made.empty() || !lasting,
               "a recording left a record beside the history for a cause that lasts");
        copy.waiting.push_back({change.name, made});
        if (!made.empty()) records_[made] = change.name;
    } else {
        Expect(recordsNow == records_, "a trim or a purge made a record");
        // Made in memory where it was not laid; again where it was, which
        // comes to the same. A take-up changes nothing, and keeps what waits.
        Apply(list, change);
        if (change.kind != Change::TakeUp)
            std::erase_if(copy.waiting, [&](const Waiting &waiting) {
                return waiting.record.empty() &&
                       std::find(list.begin(), list.end(), waiting.name) == list.end();
            });
    }
    copy.memory = std::move(list);
}

void Simulation::Recorded(const std::string &name) { recordedAt_[FileKey(name)] = ++ticks_; }

// What a saved trim or purge removed stays removed, unless something still
// held it to come back: a record on disk, or a copy's waiting list (whose
// record is on disk, or that only memory holds).
void Simulation::NoteRemoved(const Entries &before, const Entries &after,
                             const Records &recordsNow) {
    std::set<std::string> kept, held;
    for (const std::string &entry : after) kept.insert(FileKey(entry));
    for (const auto &[record, name] : recordsNow) held.insert(FileKey(name));
    for (const auto &each : copies_)
        for (const Waiting &waiting : each->waiting)
            if (waiting.record.empty() || recordsNow.count(waiting.record))
                held.insert(FileKey(waiting.name));
    for (const std::string &entry : before) {
        const std::string key = FileKey(entry);
        if (!kept.count(key) && !held.count(key)) removedAt_[key] = ++ticks_;
    }
}

void Simulation::CheckTrimmedStayTrimmed(const Look &now) const {
    for (const std::string &entry : ParseHistory(now.bytes)) {
        const auto removed = removedAt_.find(FileKey(entry));
        if (removed == removedAt_.end()) continue;
        const auto recorded = recordedAt_.find(FileKey(entry));
        Expect(recorded != recordedAt_.end() && recorded->second > removed->second,
               Quoted(entry) + ", which a trim or a purge removed, came back unrecorded");
    }
}

void Simulation::SettlePending(Copy &copy) {
    if (!copy.pending) return;
    const Change change = *std::exchange(copy.pending, std::nullopt);
    Settle(copy, change);
}

// A copy stalled after its save took the file's place, or its record
// took its name: the change is checked now, before other copies act.
void Simulation::SettleLandedSave(Copy &copy) {
    if (!Differs(world_.LookAtHistory(), last_, world_.Spoilt() == Spoil::Held) &&
        RecordsOnDisk().size() == records_.size())
        return;
    landing_ = true;
    SettlePending(copy);
    landing_ = false;
}

// The history changed: no copy has seen this version.
void Simulation::TookNote(const Look &now) {
    last_ = now;
    ++version_;
}

// Another program wrote the history: what it holds was recorded by it.
void Simulation::AnotherProgramWrote() {
    TookNote(world_.LookAtHistory());
    for (const std::string &entry : ParseHistory(last_.bytes)) Recorded(entry);
}

// The callbacks run inside the plug-in, through the host, where nothing may
// throw: a broken rule is kept, the plug-in is answered as by a cancel, and
// the rule's report is raised once the export has returned.
template <class Answer, class Body>
Answer Simulation::Guarded(Answer cancel, Body body) {
    if (violation_) return cancel;
    try {
        return body();
    } catch (const Violation &violation) {
        violation_ = violation;
        return cancel;
    }
}

hostsim::MenuAnswer Simulation::OnMenu(int index, const hostsim::MenuCall &call) {
    return Guarded(hostsim::MenuAnswer{-1, -1}, [&] { return Menu(*copies_[index], call); });
}

hostsim::PromptAnswer Simulation::OnPrompt(int index, const hostsim::PromptCall &call) {
    return Guarded(hostsim::PromptAnswer{}, [&] { return Prompt(*copies_[index], call); });
}

int Simulation::OnMessage(int index, const hostsim::MessageCall &call) {
    return Guarded(0, [&] { return Message(*copies_[index], call); });
}

// Raises what a callback kept.
void Simulation::RaiseKept() {
    if (violation_) throw *std::exchange(violation_, std::nullopt);
}

hostsim::MenuAnswer Simulation::Menu(Copy &copy, const hostsim::MenuCall &call) {
    Run &run = *copy.run;
    SettlePending(copy);
    if (run.starting) {
        CatchUp(copy);
        run = Run{};
        run.starting = false;
        run.selection = static_cast<std::int32_t>(copy.memory.size()) - 1;
    }
    Expect(run.displayDue && !run.promptDue, "a menu was shown when none was due");
    Expect(!copy.memory.empty(), "a menu was shown over an empty history");
    ++totals_.menus;
    const Listing listing = ListFor(copy.memory, run.filter);
    const int items = static_cast<int>(listing.texts.size());
    const int selected = std::min(run.selection, items - 1);
    Expect(
        call.title == "File history [" + run.filter + "]",
        "menu title " + Quoted(call.title.value_or("")) + " for the filter " + Quoted(run.filter));
    std::vector<std::string> shown;
    for (const hostsim::MenuItem &item : call.items) shown.emplace_back(item.text);
    Expect(shown == listing.texts, "menu items " + Shown(shown) + ", expected " +
                                       Shown(listing.texts) + " of " + Shown(copy.memory));
    for (int i = 0; i < items; ++i)
        Expect(call.items[i].selected == (i == selected ? 1 : 0),
               "highlight not on item " + std::to_string(selected));
    run.endsIfEmpty = false;

    std::mt19937_64 &random = *random_;
    const int highlighted = Below(random, items);
    run.selection = highlighted;
    const int roll = Below(random, 100);
    if (roll < 45) {
        // Often a byte of a listed entry, so that typing narrows the list.
        int key = Below(random, 52);
        const std::string &entry = copy.memory[listing.positions[Below(random, items)]];
        if (!entry.empty() && Below(random, 3) > 0) {
            char wanted = entry[Below(random, static_cast<int>(entry.size()))];
            if (wanted >= 'A' && wanted <= 'Z') wanted = static_cast<char>(wanted - 'A' + 'a');
            for (int k = 0; k < kBreakKeyCount; ++k)
                if (KeyCharacter(k) == wanted) key = k;
        }
        if (KeyCharacter(key) == 0) key = kBackspaceKey;
        if (key == kBackspaceKey) {
            if (!run.filter.empty()) run.filter.pop_back();
        } else {
            run.filter += KeyCharacter(key);
        }
        Note() += " key " + std::to_string(key);
        return {highlighted, key};
    }
    if (roll < 57) {
        run.promptDue = true;
        Note() += " Delete";
        return {highlighted, kTrimKey};
    }
    if (roll < 67) {
        std::set<std::string> gone;
        for (const std::string &entry : copy.memory)
            if (!World::Exists(entry)) gone.insert(FileKey(entry));
        copy.pending = Change::Purging(std::move(gone));
        ArmStall(copy);
        run.starting = true;
        Note() += " F5";
        return {highlighted, kPurgeKey};
    }
    run.displayDue = false;
    if (roll < 85) {
        const std::string &entry = copy.memory[listing.positions[highlighted]];
        if (!entry.empty()) copy.pending = Change::Recording(StoredForm(entry));
        ArmStall(copy);
        Note() += " Enter on " + std::to_string(highlighted);
        return {highlighted, -1};
    }
    Note() += " Escape";
    return {-1, -1};
}

hostsim::PromptAnswer Simulation::Prompt(Copy &copy, const hostsim::PromptCall &call) {
    Run &run = *copy.run;
    Expect(run.promptDue, "a prompt was shown when none was due");
    Expect(call.title == "Clear history" && call.prompt == "Input number of items to keep" &&
               call.initialText == "100",
           "the trim prompt's texts");
    static const char *const kAnswers[] = {"2",   "0", "1",   "5",     "100",        "-3",
                                           "abc", "",  " +2", "10abc", "99999999999"};
    std::mt19937_64 &random = *random_;
    const std::string answer = kAnswers[Below(random, static_cast<int>(std::size(kAnswers)))];
    const bool confirmed = Below(random, 8) > 0;
    if (confirmed)
        if (const auto keep = KeepCount(answer)) {
            copy.pending = Change::Trimming(*keep);
            ArmStall(copy);
        }
    run.promptDue = false;
    run.endsIfEmpty = true;
    Note() += confirmed ? " answers " + Quoted(answer) : " cancels";
    return {confirmed, answer};
}

int Simulation::Message(Copy &copy, const hostsim::MessageCall &call) {
    Run &run = *copy.run;
    SettlePending(copy);
    if (run.starting) {
        CatchUp(copy);
        run.starting = false;
    }
    Expect(run.displayDue, "a message was shown when none was due");
    Expect(copy.memory.empty(),
           "the notice for an empty history was shown over " + Shown(copy.memory));
    Expect(call.lines == std::vector<std::string>{"Quorvel", copy.host->PluginText(1), "Ok"},
           "the notice's lines");
    run.displayDue = false;
    Note() += " notice";
    return 0;
}

// The pending records beside the history, but those a stopped copy took up
// and will remove when it goes on.
Records Simulation::RecordsOnDisk() const {
    Records records = world_.PendingRecords();
    for (const std::string &record : leaving_) records.erase(record);
    return records;
}

// What stands beside the history besides itself, the library and the
// pending records: a save's new file, left where a crash, a power cut or a
// failed removal may have left one, and only until a first holding sweeps.
void Simulation::CheckStrays(bool mayLeave) {
    std::set<std::string> now = world_.Strays();
    for (const std::string &stray : now) {
        const bool debris = stray.find(".tmp") != std::string::npos;
        Expect(debris && (debris_ || mayLeave), "left beside the history: " + stray);
    }
    if (!now.empty()) debris_ = true;
    strays_ = std::move(now);
}

void Simulation::CheckWorld(bool mayLeave) {
    const Look now = world_.LookAtHistory();
    Expect(!Differs(now, last_, world_.Spoilt() == Spoil::Held) &&
               world_.Kept(now.changed) == world_.Kept(last_.changed),
           "the history changed where the rules change nothing: " + Shown(ParseHistory(now.bytes)));
    Expect(RecordsOnDisk() == records_,
           "the pending records changed where the rules change nothing");
    CheckStrays(mayLeave);
    marked_ = world_.Marked();
}

// Copies in processes of their own ran: what they left for a holder is
// known now, and their records are all there to take.
void Simulation::TakeNoteOfRecords() {
    records_ = RecordsOnDisk();
    marked_ = world_.Marked();
}

Entries Simulation::WithRecordsTaken(Entries list) const {
    for (const auto &[record, name] : records_)
        if (!name.empty() && world_.Trusted(record, last_)) sim::Record(list, name);
    return list;
}

// Copies that recorded at once, each its own names in turn: the entries
// they did not touch stay at the front, in their order; every name recorded,
// and every name a record held before, is kept once, in the history or in
// a record, and nothing else is; and a name only one copy recorded comes in
// that copy's order among the names the history holds.
void Simulation::CheckBurst(const std::vector<Entries> &sequences, const Entries &before,
                            const Records &recordsBefore) {
    const Entries after = ParseHistory(last_.bytes);
    std::map<std::string, int> recordedBy;  // by file key
    std::set<std::string> recorded;
    for (const Entries &sequence : sequences)
        for (const std::string &name : sequence) {
            recorded.insert(name);
            recordedBy[FileKey(name)] += 1;
        }
    for (const auto &[record, name] : recordsBefore) {
        recorded.insert(name);
        recordedBy[FileKey(name)] += 2;  // not one copy's alone
    }
    Entries untouched;
    for (const std::string &entry : before)
        if (!recordedBy.count(FileKey(entry))) untouched.push_back(entry);
    Expect(after.size() >= untouched.size() &&
               std::equal(untouched.begin(), untouched.end(), after.begin()),
           "copies recording at once lost or moved what they did not record: " + Shown(after));
    // A file recorded in two spellings (Windows: letter case) is kept once.
    const Entries rest(after.begin() + static_cast<std::ptrdiff_t>(untouched.size()), after.end());
    std::set<std::string> kept;
    for (const std::string &entry : rest) {
        Expect(recorded.count(entry) == 1,
               "copies recording at once wrote " + Quoted(entry) + ", which no one recorded");
        Expect(kept.insert(FileKey(entry)).second,
               "copies recording at once wrote a file twice: " + Shown(rest));
    }
    std::set<std::string> waiting;
    for (const auto &[record, name] : records_) waiting.insert(FileKey(name));
    for (const std::string &name : recorded)
        Expect(kept.count(FileKey(name)) == 1 || waiting.count(FileKey(name)) == 1,
               "copies recording at once lost " + Quoted(name));
    for (const Entries &sequence : sequences) {
        Entries own, order;
        for (const std::string &name : sequence)
            if (recordedBy[FileKey(name)] == 1 && kept.count(FileKey(name))) own.push_back(name);
        for (const std::string &entry : rest)
            if (std::find(own.begin(), own.end(), entry) != own.end()) order.push_back(entry);
        // A name left in a record and taken up by a later copy comes after
        // that copy's own: only the relative order of the rest is fixed.
        Entries inOrder;
        for (const std::string &name : own)
            if (std::find(order.begin(), order.end(), name) != order.end()) inOrder.push_back(name);
        Expect(order == inOrder || !records_.empty() || !recordsBefore.empty(),
               "copies recording at once wrote " + Shown(own) + " out of turn: " + Shown(after));
    }
}

}  // namespace sim
