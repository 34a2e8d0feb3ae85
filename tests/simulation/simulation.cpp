// The simulation's steps, the faults it injects, and its checks.
#include "simulation/simulation.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "plugin/run_program.h"
#include "simulation/fault_switch.h"

namespace sim {
namespace {

using platform::fault::Call;

void Expect(bool holds, const std::string &what) {
    if (!holds) throw Violation{what};
}

std::string Quoted(const std::string &text) {
    std::string shown = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127) {
            shown += c;
        } else {
            const char *digits = "0123456789abcdef";
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 15];
        }
    }
    return shown + "\"";
}

std::string Shown(const Entries &list) {
    std::string shown = "[";
    for (const std::string &entry : list) {
        if (shown.size() > 1) shown += ", ";
        shown += Quoted(entry);
    }
    return shown + "]";
}

int Below(std::mt19937_64 &random, int bound) {
    return static_cast<int>(random() % static_cast<std::uint64_t>(bound));
}

// What the acting copy's calls into the system meet during one step.
struct FaultPlan {
    bool readsFail = false;  // every look at, open of and read from the history
    bool lockFails = false;
    bool removeFails = false;    // sweeping away a crashed save's file
    int saveFailurePercent = 0;  // each call of a save, by chance
    int refusalPercent = 0;      // the folder takes no new file, by chance
};

// Shared with the hook, which the copies call from inside the plug-in.
struct Faults {
    FaultPlan plan;
    std::mt19937_64 random;
    int saveFaults = 0;  // injected into saves since the last settled change
    long injected = 0;
} faults;

bool Percent(int percent) { return Below(faults.random, 100) < percent; }

bool Inject(Call call) {
    const FaultPlan &plan = faults.plan;
    bool fail = false;
    bool inSave = false;
    switch (call) {
    case Call::FileStamp:
    case Call::OpenToRead:
    case Call::Read: fail = plan.readsFail; break;
    case Call::Lock: fail = plan.lockFails; break;
    case Call::Remove: fail = plan.removeFails; break;
    case Call::RefuseTemporary: fail = inSave = Percent(plan.refusalPercent); break;
    case Call::CreateTemporary:
    case Call::CopyPermissions:
    case Call::OpenInPlace:
    case Call::Write:
    case Call::Truncate:
    case Call::Flush:
    case Call::Close:
    case Call::Replace: fail = inSave = Percent(plan.saveFailurePercent); break;
    case Call::FileAttributes:  // the purge's look at other files
    case Call::ConsoleRows: break;
    }
    faults.saveFaults += inSave;
    faults.injected += fail;
    return fail;
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

// Whether the history differs between two looks; a held file cannot be
// read, so only its size and time tell.
bool Differs(const Look &a, const Look &b, bool held) {
    if (!held) return !(a == b);
    return a.exists != b.exists || a.size != b.size || a.time != b.time;
}

class SimFrontend : public hostsim::Frontend {
public:
    SimFrontend(Simulation &simulation, int copy) : simulation_(simulation), copy_(copy) {}
    hostsim::MenuAnswer ShowMenu(const hostsim::MenuCall &call) override {
        return simulation_.OnMenu(copy_, call);
    }
    int ShowMessage(const hostsim::MessageCall &call) override {
        return simulation_.OnMessage(copy_, call);
    }
    hostsim::PromptAnswer PromptInput(const hostsim::PromptCall &call) override {
        return simulation_.OnPrompt(copy_, call);
    }

private:
    Simulation &simulation_;
    int copy_;
};

}  // namespace

// One copy of the host, and what the rules say its plug-in holds.
struct Simulation::Copy {
    int index = 0;
    std::string library;  // its own file of the plug-in, so it loads apart
    std::unique_ptr<SimFrontend> ui;
    std::unique_ptr<hostsim::Host> host;
    Entries memory;   // the history as the copy holds it
    Entries unsaved;  // its recordings not in the file yet
    long seen = -1;   // the history's version it last read or wrote
};

// One menu run in progress.
struct Simulation::Run {
    bool starting = true;  // its next display begins with a look at the file
    std::string filter;
    std::int32_t selection = 0;
    std::optional<Change> change;  // made since the last callback
    bool displayDue = true;        // the plug-in is to show a menu or a notice
    bool promptDue = false;
    bool endsIfEmpty = false;  // a trim that empties the history ends the run
};

Simulation::Simulation(const Programs &programs, std::uint64_t seed, std::set<long> skipped)
    : programs_(programs), seed_(seed), skipped_(std::move(skipped)) {
    std::mt19937_64 random(seed);
    const int copies = 2 + Below(random, 3);
    std::filesystem::create_directories(world_.Root() / "copies");
    for (int i = 0; i < copies; ++i) {
        auto copy = std::make_unique<Copy>();
        copy->index = i;
        const std::filesystem::path folder = world_.Root() / "copies" / std::to_string(i);
        std::filesystem::create_directories(folder);
        copy->library = (folder / std::filesystem::path(programs_.library).filename()).string();
        std::filesystem::copy_file(programs_.library, copy->library);
        copy->ui = std::make_unique<SimFrontend>(*this, i);
        copy->host = std::make_unique<hostsim::Host>(*copy->ui);
        copy->host->OverrideModulePath(world_.ModulePath());
        copies_.push_back(std::move(copy));
        Restart(*copies_.back());
    }
    for (int n = 0; n < 6; ++n) world_.SetFileExists(n, Below(random, 2) == 0);
}

Simulation::~Simulation() {
    for (auto &copy : copies_) copy->host->UnloadPlugin();
}

void Simulation::Step(long index) {
    if (skipped_.count(index)) return;
    std::mt19937_64 random(seed_ * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(index));
    random_ = &random;
    faults.plan = {};
    faults.random.seed(random());
    faults.saveFaults = 0;
    const long injectedBefore = faults.injected;
    log_.push_back("step " + std::to_string(index) + ":");
    const int roll = Below(random, 100);
    if (roll < 35)
        Record(random);
    else if (roll < 60)
        ShowMenu(random);
    else if (roll < 72)
        ActAsAnotherProgram(random);
    else if (roll < 80) {
        for (int n = Below(random, 3); n >= 0; --n) {
            const int file = Below(random, 6);
            const bool exists = Below(random, 2) == 0;
            world_.SetFileExists(file, exists);
            log_.back() += " f" + std::to_string(file) + (exists ? " exists" : " is gone");
        }
    } else if (roll < 85) {
        Copy &copy = *copies_[Below(random, static_cast<int>(copies_.size()))];
        Restart(copy);
        log_.back() += " copy " + std::to_string(copy.index) + " restarts";
    } else if (roll < 94)
        CrashACopy(random);
    else
        RecordAtOnce(random, index);
    faults.plan = {};
    totals_.faults += faults.injected - injectedBefore;
    ++totals_.steps;
    CheckWorld();
}

void Simulation::Restart(Copy &copy) {
    copy.host->UnloadPlugin();
    std::string error;
    Expect(copy.host->LoadPlugin(copy.library, &error), "the plug-in did not load: " + error);
    const auto faultSwitch = reinterpret_cast<FaultSwitchFn>(copy.host->PluginSymbol(kFaultSwitch));
    Expect(faultSwitch != nullptr, "the plug-in has no fault switch");
    faultSwitch(&Inject, 0);  // no flush to disk: no power is cut here
    // A copy starts with what it reads, and nothing unsaved.
    copy.unsaved.clear();
    copy.memory.clear();
    copy.seen = -1;
    if (last_.regular && world_.Spoilt() == Spoil::None) {
        copy.memory = ParseHistory(last_.bytes);
        copy.seen = version_;
    }
}

void Simulation::Act(Copy &copy, std::mt19937_64 &random) {
    faults.plan = DrawPlan(random);
    log_.back() += " copy " + std::to_string(copy.index) + Described(faults.plan);
}

void Simulation::Record(std::mt19937_64 &random) {
    Copy &copy = *copies_[Below(random, static_cast<int>(copies_.size()))];
    const std::string name = RandomName(random);
    Act(copy, random);
    log_.back() += " records " + Quoted(name);
    copy.host->OpenEditorWindow(name);
    copy.host->CloseWindow(1);
    if (Recordable(name)) Settle(copy, Change::Recording(StoredForm(name)));
}

void Simulation::ShowMenu(std::mt19937_64 &random) {
    Copy &copy = *copies_[Below(random, static_cast<int>(copies_.size()))];
    Act(copy, random);
    log_.back() += " opens the menu:";
    run_ = std::make_unique<Run>();
    copy.host->OpenPlugin();
    RaiseKept();
    SettleChangeOfRun(copy);
    if (run_->endsIfEmpty && copy.memory.empty()) run_->displayDue = false;
    Expect(!run_->displayDue, "the menu did not come back");
    run_.reset();
    while (copy.host->Windows().size() > 1) copy.host->CloseWindow(1);
}

// Brings the copy up to the file as a look without the lock would.
void Simulation::CatchUp(Copy &copy) {
    if (faults.plan.readsFail || !last_.exists || copy.seen == version_ ||
        world_.Spoilt() != Spoil::None)
        return;
    copy.memory = ParseHistory(last_.bytes);
    Replay(copy.memory, copy.unsaved);
    copy.seen = version_;
}

// After a copy made a change: the file is what the rules give for it, or,
// where a failure was met, exactly as it was.
void Simulation::Settle(Copy &copy, const Change &change) {
    const Look now = world_.LookAtHistory();
    const bool wrote = Differs(now, last_, world_.Spoilt() == Spoil::Held);
    bool unread = faults.plan.readsFail;
    if (!unread && last_.exists && copy.seen != version_) {
        if (world_.Spoilt() != Spoil::None)
            unread = true;
        else
            CatchUp(copy);
    }
    switch (change.kind) {
    case Change::Record:
        sim::Record(copy.memory, change.name);
        sim::Record(copy.unsaved, change.name);
        break;
    case Change::Trim:
        if (!unread && copy.memory.size() > static_cast<std::size_t>(change.keep))
            copy.memory.erase(copy.memory.begin(), copy.memory.end() - change.keep);
        break;
    case Change::Purge:
        if (!unread)
            std::erase_if(copy.memory, [&](const std::string &entry) {
                return change.gone.count(entry) && !World::Exists(entry);
            });
        break;
    }
    // What a trim or purge removed is not laid back later.
    if (change.kind != Change::Record && !unread)
        std::erase_if(copy.unsaved, [&](const std::string &name) {
            return std::find(copy.memory.begin(), copy.memory.end(), name) == copy.memory.end();
        });
    const int saveFaults = std::exchange(faults.saveFaults, 0);
    if (unread) {
        Expect(!wrote, "a history the copy could not read was replaced");
        return;
    }
    // The sweep for crashed saves ran under the lock.
    if (!faults.plan.lockFails && !faults.plan.removeFails) debrisAllowed_ = false;
    if (!wrote) {
        Expect(saveFaults > 0 || world_.Spoilt() == Spoil::Held,
               "a change that met no failure was not saved");
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

void Simulation::SettleChangeOfRun(Copy &copy) {
    if (!run_->change) return;
    const Change change = *run_->change;
    run_->change.reset();
    Settle(copy, change);
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
    return Guarded(hostsim::MenuAnswer{-1, -1}, [&] { return Menu(index, call); });
}

hostsim::PromptAnswer Simulation::OnPrompt(int index, const hostsim::PromptCall &call) {
    return Guarded(hostsim::PromptAnswer{}, [&] { return Prompt(index, call); });
}

int Simulation::OnMessage(int index, const hostsim::MessageCall &call) {
    return Guarded(0, [&] { return Message(index, call); });
}

// Raises what a callback kept.
void Simulation::RaiseKept() {
    if (violation_) throw *std::exchange(violation_, std::nullopt);
}

hostsim::MenuAnswer Simulation::Menu(int index, const hostsim::MenuCall &call) {
    Copy &copy = *copies_[index];
    Run &run = *run_;
    SettleChangeOfRun(copy);
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
        log_.back() += " key " + std::to_string(key);
        return {highlighted, key};
    }
    if (roll < 57) {
        run.promptDue = true;
        log_.back() += " Delete";
        return {highlighted, kTrimKey};
    }
    if (roll < 67) {
        std::set<std::string> gone;
        for (const std::string &entry : copy.memory)
            if (!World::Exists(entry)) gone.insert(entry);
        run.change = Change::Purging(std::move(gone));
        run.starting = true;
        log_.back() += " F5";
        return {highlighted, kPurgeKey};
    }
    run.displayDue = false;
    if (roll < 85) {
        const std::string &entry = copy.memory[listing.positions[highlighted]];
        if (!entry.empty()) run.change = Change::Recording(StoredForm(entry));
        log_.back() += " Enter on " + std::to_string(highlighted);
        return {highlighted, -1};
    }
    log_.back() += " Escape";
    return {-1, -1};
}

hostsim::PromptAnswer Simulation::Prompt(int, const hostsim::PromptCall &call) {
    Run &run = *run_;
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
        if (const auto keep = KeepCount(answer)) run.change = Change::Trimming(*keep);
    run.promptDue = false;
    run.endsIfEmpty = true;
    log_.back() += confirmed ? " answers " + Quoted(answer) : " cancels";
    return {confirmed, answer};
}

int Simulation::Message(int index, const hostsim::MessageCall &call) {
    Copy &copy = *copies_[index];
    Run &run = *run_;
    SettleChangeOfRun(copy);
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
    log_.back() += " notice";
    return 0;
}

void Simulation::ActAsAnotherProgram(std::mt19937_64 &random) {
    log_.back() += " another program";
    if (world_.Spoilt() == Spoil::Held) {
        world_.MendHistory();  // letting go of a file changes nothing in it
        log_.back() += " lets go of the history";
        last_ = world_.LookAtHistory();
        return;
    }
    if (world_.Spoilt() != Spoil::None) {
        world_.MendHistory();
        log_.back() += " mends the history";
        TookNote(world_.LookAtHistory());
        return;
    }
    const int roll = Below(random, 100);
    if (roll < 65) {
        std::string bytes;
        if (roll < 25) {
            Entries lines;
            for (int n = Below(random, 6); n > 0; --n)
                lines.push_back(StoredForm(RandomName(random)));
            bytes = HistoryBytes(lines);
            if (Below(random, 3) == 0 && !bytes.empty()) bytes.pop_back();  // a break of LF alone
        } else if (roll < 45) {
            static const char kBytes[] = "ab/\\.\r\n\0\xE9\xFF ";
            for (int n = Below(random, 80); n > 0; --n)
                bytes += kBytes[Below(random, sizeof kBytes - 1)];
        } else if (roll < 58) {
            bytes = last_.bytes.substr(0, Below(random, static_cast<int>(last_.bytes.size()) + 1));
        }
        world_.Rewrite(bytes);
        log_.back() += " writes " + Quoted(bytes);
    } else if (roll < 72) {
        if (last_.exists) world_.RemoveHistory();
        log_.back() += " removes the history";
    } else {
        const Spoil how = std::vector<Spoil>{Spoil::Oversize, Spoil::Fifo, Spoil::Folder,
                                             Spoil::Held}[Below(random, 4)];
        if (!world_.SpoilHistory(how)) return;
        log_.back() += " spoils the history (" + std::to_string(static_cast<int>(how)) + ")";
        if (how == Spoil::Held) {
            last_ = world_.LookAtHistory();
            return;
        }
    }
    TookNote(world_.LookAtHistory());
}

// Another program changed the history: no copy has seen this version.
void Simulation::TookNote(const Look &now) {
    last_ = now;
    ++version_;
}

void Simulation::CrashACopy(std::mt19937_64 &random) {
    std::string name = RandomName(random);
    if (!Recordable(name)) name = world_.FileName(0);
    const int crashAt = 1 + Below(random, 14);
    const Look before = last_;
    const int code = RunProgram({programs_.copy, programs_.library, world_.ModulePath(),
                                 "--crash-at", std::to_string(crashAt), name});
    Expect(code == 0 || code == 77, "the crashing copy failed to run");
    totals_.crashes += code == 77;
    log_.back() += " a copy records " + Quoted(name) +
                   (code == 77 ? " and dies at call " : " and lives past call ") +
                   std::to_string(crashAt);
    debrisAllowed_ = true;
    const Look now = world_.LookAtHistory();
    if (!Differs(now, before, world_.Spoilt() == Spoil::Held)) return;
    Expect(world_.Spoilt() == Spoil::None, "a history the copy could not read was replaced");
    Entries expected = before.exists ? ParseHistory(before.bytes) : Entries{};
    sim::Record(expected, StoredForm(name));
    Expect(now.bytes == HistoryBytes(expected), "a crashed copy's save is not what the rules give");
    TookNote(now);
}

// Copies in processes of their own record new names as fast as they can;
// the lock must keep every name.
void Simulation::RecordAtOnce(std::mt19937_64 &random, long step) {
    if (world_.Spoilt() != Spoil::None) return;
    std::vector<Entries> sequences(2 + Below(random, 2));
    std::vector<Program> programs;
    const std::string folder = (world_.Root() / "odd").string() + (kWindows ? "\\" : "/");
    for (std::size_t p = 0; p < sequences.size(); ++p) {
        std::vector<std::string> arguments{programs_.copy, programs_.library, world_.ModulePath()};
        for (int n = 3 + Below(random, 8); n > 0; --n) {
            sequences[p].push_back(folder + "burst" + std::to_string(step) + "-" +
                                   std::to_string(p) + "-" + std::to_string(n));
            arguments.push_back(sequences[p].back());
        }
        programs.emplace_back(arguments);
    }
    for (Program &program : programs) Expect(program.Wait() == 0, "a recording copy failed to run");
    log_.back() += " " + std::to_string(sequences.size()) + " copies record at once";
    const Look now = world_.LookAtHistory();
    const Entries before = last_.exists ? ParseHistory(last_.bytes) : Entries{};
    const Entries after = ParseHistory(now.bytes);
    Expect(after.size() >= before.size() && std::equal(before.begin(), before.end(), after.begin()),
           "copies recording at once lost what the history held: " + Shown(after));
    // The rest is every copy's names, each copy's in its own order.
    std::vector<std::size_t> next(sequences.size(), 0);
    for (std::size_t i = before.size(); i < after.size(); ++i) {
        std::size_t p = 0;
        while (p < sequences.size() &&
               (next[p] == sequences[p].size() || sequences[p][next[p]] != after[i]))
            ++p;
        Expect(p < sequences.size(),
               "copies recording at once wrote " + Quoted(after[i]) + " out of turn");
        ++next[p];
    }
    for (std::size_t p = 0; p < sequences.size(); ++p)
        Expect(next[p] == sequences[p].size(),
               "copies recording at once lost names: " + Shown(after));
    TookNote(now);
}

std::string Simulation::State() const {
    std::string state = "history (version " + std::to_string(version_) +
                        "): " + (last_.regular ? Shown(ParseHistory(last_.bytes)) : "(none)") +
                        "\n";
    for (const auto &copy : copies_)
        state += "  copy " + std::to_string(copy->index) + " (saw " + std::to_string(copy->seen) +
                 "): " + Shown(copy->memory) + ", unsaved " + Shown(copy->unsaved) + "\n";
    return state;
}

void Simulation::CheckWorld() {
    const Look now = world_.LookAtHistory();
    Expect(!Differs(now, last_, world_.Spoilt() == Spoil::Held),
           "the history changed where the rules change nothing: " + Shown(ParseHistory(now.bytes)));
    for (const std::string &stray : world_.Strays()) {
        const bool debris = stray == "quorvel.ini.lock" || stray.rfind("quorvel.ini.tmp", 0) == 0;
        Expect(debris && debrisAllowed_, "left beside the history: " + stray);
    }
}

std::string Simulation::RandomName(std::mt19937_64 &random) const {
    const std::string folder = (world_.Root() / "odd").string() + (kWindows ? "\\" : "/");
    const int roll = Below(random, 100);
    std::string name;
    if (roll < 55) {
        name = world_.FileName(Below(random, 6));
    } else if (roll < 70) {
        name = folder + "\xC4\xE9t\xE9 " + std::to_string(Below(random, 4));
    } else if (roll < 76) {
        name = folder + std::string(300, 'L') + std::to_string(Below(random, 2));
    } else if (roll < 92) {
        const Entries &held = copies_[Below(random, static_cast<int>(copies_.size()))]->memory;
        name =
            held.empty() ? world_.FileName(0) : held[Below(random, static_cast<int>(held.size()))];
    } else {
        return Below(random, 2) ? "" : "a\rb";
    }
    // The same file in another case or with other slashes, where that is so.
    if (kWindows && Below(random, 3) == 0) {
        for (char &c : name)
            if (c >= 'a' && c <= 'z' && Below(random, 2)) c = static_cast<char>(c - 'a' + 'A');
        std::replace(name.begin(), name.end(), '\\', '/');
    }
    return name;
}

}  // namespace sim
