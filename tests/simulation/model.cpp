// The model: what the rules say each copy holds and the file must hold
// after every change, and the checks of every menu, prompt and notice a copy
// shows against it. Stated apart from the plug-in's code.
#include <algorithm>
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

// Brings the copy up to the file as a look without the lock would.
void Simulation::CatchUp(Copy &copy) {
    if (Plan().readsFail || !last_.exists || copy.seen == version_ ||
        world_.Spoilt() != Spoil::None)
        return;
    copy.memory = ParseHistory(last_.bytes);
    Replay(copy.memory, copy.unsaved);
    copy.seen = version_;
}

// What the copy saves for the change, if it can read the file.
Entries Simulation::Expected(const Copy &copy, const Change &change, const Look &read,
                             long version) const {
    Entries list = copy.memory;
    if (read.exists && copy.seen != version) {
        list = ParseHistory(read.bytes);
        Replay(list, copy.unsaved);
    }
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
    }
    return list;
}

// After a copy made a change: the file is what the rules give for it, or,
// where a failure was met, exactly as it was.
void Simulation::Settle(Copy &copy, const Change &change) {
    const Look now = world_.LookAtHistory();
    const bool held = world_.Spoilt() == Spoil::Held;
    const bool wrote = Differs(now, last_, held);
    const bool unread = Plan().readsFail ||
                        (last_.exists && copy.seen != version_ && world_.Spoilt() != Spoil::None);
    // A change that saved nothing after a stall, and did not open the file
    // since, worked on the file as it was before the others acted.
    const bool readBefore = !faults.nested && !wrote && beforeStall_ &&
                            beforeStall_->version != version_ && !faults.readSinceStall;
    const Look &read = readBefore ? beforeStall_->file : last_;
    const long readVersion = readBefore ? beforeStall_->version : version_;
    if (!unread) {
        copy.memory = Expected(copy, change, read, readVersion);
        if (read.exists) copy.seen = readVersion;
    } else if (change.kind == Change::Record) {
        sim::Record(copy.memory, change.name);
    }
    if (change.kind == Change::Record) sim::Record(copy.unsaved, change.name);
    // What a trim or purge removed is not laid back later.
    if (change.kind != Change::Record && !unread)
        std::erase_if(copy.unsaved, [&](const std::string &name) {
            return std::find(copy.memory.begin(), copy.memory.end(), name) == copy.memory.end();
        });
    const int saveFaults = faults.nested ? 0 : std::exchange(faults.saveFaults, 0);
    if (unread) {
        Expect(!wrote, "a history the copy could not read was replaced");
        // A lock file made for the change is marked until a save sweeps.
        if (LeftSomething()) DebrisLeft(true, copy.index);
        return;
    }
    // What a save left beside the history, and who sweeps it (rule 8): a
    // save under the lock marks the lock file, so any copy's next save
    // sweeps; one without it leaves that to its own next save. Copies acting
    // during a stall pass the stalled holder, and may or may not hold it.
    // A copy acting during a stall may or may not have had the lock, and so
    // may or may not have swept: from now on it is not counted on to.
    if (faults.nested) {
        copy.sweeps = false;
    } else {
        const bool locked = !Plan().lockFails && Lockable();
        // A save that landed while its copy stands still may have files
        // of its own beside the history still: they are not left yet.
        if (!landing_ && LeftSomething()) {
            DebrisLeft(locked, copy.index);
            copy.sweeps = true;
        } else if (Plan().removeFails && !strays_.empty()) {
            // A sweep that failed: debris stays where it was. With none
            // there, the sweep had nothing to remove and is done.
        } else if (locked && copy.sweeps) {
            Swept();
            copy.sweeps = false;
        } else if (locked) {
            // A mark makes it sweep, if the one who left it got to leave it.
            debrisMarked_ = false;
        }
    }
    if (!wrote) {
        Expect(saveFaults > 0 || held, "a change that met no failure was not saved");
        return;
    }
    Expect(now.regular && now.bytes == HistoryBytes(copy.memory),
           "the history saved is not what the rules give: expected " + Shown(copy.memory) +
               ", found " + Shown(ParseHistory(now.bytes)));
    copy.unsaved.clear();
    copy.seen = ++version_;
    last_ = now;
    ++totals_.saves;
}

// Whether a copy takes a lock now: a folder or another user's file at the
// lock's path leaves the history itself to lock, when there is one.
bool Simulation::Lockable() const {
    const LockSpoil spoilt = world_.LockSpoilt();
    return (spoilt != LockSpoil::Folder && spoilt != LockSpoil::Foreign) || last_.exists;
}

void Simulation::DebrisLeft(bool locked, int by) {
    if (locked)
        debrisMarked_ = true;
    else
        debrisOwedBy_.insert(by);
}

// Whether files were left beside the history since the last look.
bool Simulation::LeftSomething() {
    std::set<std::string> now = world_.Strays();
    const bool left = std::any_of(now.begin(), now.end(),
                                  [&](const std::string &s) { return !strays_.count(s); });
    strays_ = std::move(now);
    return left;
}

void Simulation::Swept() {
    debrisMarked_ = false;
    debrisOwedBy_.clear();
}

void Simulation::SettlePending(Copy &copy) {
    if (!copy.pending) return;
    const Change change = *std::exchange(copy.pending, std::nullopt);
    Settle(copy, change);
}

// A copy stalled after its save took the file's place: the change is
// checked now, before other copies act on that file.
void Simulation::SettleLandedSave(Copy &copy) {
    if (!Differs(world_.LookAtHistory(), last_, world_.Spoilt() == Spoil::Held)) return;
    landing_ = true;
    SettlePending(copy);
    landing_ = false;
}

// Another program changed the history: no copy has seen this version.
void Simulation::TookNote(const Look &now) {
    last_ = now;
    ++version_;
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

void Simulation::CheckWorld() {
    const Look now = world_.LookAtHistory();
    Expect(!Differs(now, last_, world_.Spoilt() == Spoil::Held),
           "the history changed where the rules change nothing: " + Shown(ParseHistory(now.bytes)));
    Expect(world_.VictimUntouched(), "a link at the lock's path was written through");
    const bool debrisAllowed = debrisMarked_ || !debrisOwedBy_.empty();
    strays_ = world_.Strays();
    for (const std::string &stray : strays_) {
        const bool debris = stray == "quorvel.ini.lock" || stray.rfind("quorvel.ini.tmp", 0) == 0;
        Expect(debris && debrisAllowed, "left beside the history: " + stray);
    }
}

// Copies that recorded at once, each its own names in turn: the entries
// they did not touch stay at the front, in their order; after them comes
// every name recorded, once, and nothing else; and a name only one copy
// recorded comes in that copy's order.
void Simulation::CheckBurst(const std::vector<Entries> &sequences, const Entries &before) {
    const Entries after = ParseHistory(last_.bytes);
    std::map<std::string, int> recordedBy;  // by file key
    std::set<std::string> recorded;
    for (const Entries &sequence : sequences)
        for (const std::string &name : sequence) {
            recorded.insert(name);
            recordedBy[FileKey(name)] += 1;
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
    for (const std::string &name : recorded)
        Expect(kept.count(FileKey(name)) == 1, "copies recording at once lost " + Quoted(name));
    for (const Entries &sequence : sequences) {
        Entries own, order;
        for (const std::string &name : sequence)
            if (recordedBy[FileKey(name)] == 1) own.push_back(name);
        for (const std::string &entry : rest)
            if (std::find(own.begin(), own.end(), entry) != own.end()) order.push_back(entry);
        Expect(order == own,
               "copies recording at once wrote " + Shown(own) + " out of turn: " + Shown(after));
    }
}

}  // namespace sim
