// The simulation: copies of the plug-in sharing one history, driven at random
// through their exports by the stand-in host, with faults injected into their
// calls to the system, copies stalled in the middle of a change, other
// programs writing the history, and the power cut; checked after every step
// against the rules.
// Each run is determined by its seed; each step draws from a stream of its
// own, so that a run with some steps left out can be replayed to shrink a
// failure.
//
// The steps are in actors.cpp, the faults, stalls and power cuts in
// faults.cpp and power_cut.cpp, and the model's checks in model.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "hostsim/host.h"
#include "simulation/rules.h"
#include "simulation/world.h"

namespace sim {

// Where the built programs are.
struct Programs {
    std::string library;  // the plug-in with its fault switch
    std::string copy;     // a copy of the host in a process of its own
};

// A change a copy makes to the history, checked once it has been made. A
// take-up is the menu's: it lays what waits, and changes nothing itself.
struct Change {
    enum Kind { Record, Trim, Purge, TakeUp };
    Kind kind = Record;
    std::string name;            // Record: the name as kept
    std::int32_t keep = 0;       // Trim
    std::set<std::string> gone;  // Purge: the files (FileKey) found missing when F5 was pressed

    static Change Recording(std::string stored) {
        Change change;
        change.name = std::move(stored);
        return change;
    }
    static Change Trimming(std::int32_t keep) {
        Change change;
        change.kind = Trim;
        change.keep = keep;
        return change;
    }
    static Change Purging(std::set<std::string> gone) {
        Change change;
        change.kind = Purge;
        change.gone = std::move(gone);
        return change;
    }
    static Change TakingUp() {
        Change change;
        change.kind = TakeUp;
        return change;
    }
};

// The change made to a list, as the plug-in makes it.
void Apply(Entries &list, const Change &change);

// A broken rule: what was expected, and what was found.
struct Violation {
    std::string what;
};

// Totals over a run, for the report.
struct Totals {
    long steps = 0, faults = 0, crashes = 0, menus = 0, saves = 0, stalls = 0, powerCuts = 0;
};

// The lock's patience in the loaded copies: short, so that a copy leaves its
// change for a stalled holder quickly; copies in processes of their own keep
// the shipped patience.
inline constexpr int kSimulatedPatienceMs = 30;
// How long another program's write counts as under way, for every copy: as
// good as for ever, so that the rules, not the clock, say when it ends (the
// program dates the file, or replaces it).
inline constexpr int kSimulatedStillMs = 24 * 3600 * 1000;

class Simulation {
public:
    Simulation(const Programs &programs, std::uint64_t seed, std::set<long> skipped = {});
    ~Simulation();

    // Runs the step; throws Violation when a rule is broken.
    void Step(long index);
    [[nodiscard]] const Totals &Counts() const { return totals_; }
    // The steps so far, one line each, for the report of a failure.
    [[nodiscard]] const std::vector<std::string> &Log() const { return log_; }
    // What the rules say each copy holds, and what the file holds.
    [[nodiscard]] std::string State() const;

    // Frontend callbacks of copy `copy`.
    hostsim::MenuAnswer OnMenu(int copy, const hostsim::MenuCall &call);
    int OnMessage(int copy, const hostsim::MessageCall &call);
    hostsim::PromptAnswer OnPrompt(int copy, const hostsim::PromptCall &call);

private:
    // One menu run in progress.
    struct Run {
        bool starting = true;  // its next display begins with a look at the file
        std::string filter;
        std::int32_t selection = 0;
        bool displayDue = true;  // the plug-in is to show a menu or a notice
        bool promptDue = false;
        bool endsIfEmpty = false;  // a trim that empties the history ends the run
    };

    // A recording of a copy's that waits for a holder: in a pending record,
    // or, where none could be written (record empty), in memory only.
    struct Waiting {
        std::string name;
        std::string record;
    };

    // One copy of the host, and what the rules say its plug-in holds.
    struct Copy {
        int index = 0;
        std::string library;  // its own file of the plug-in, so it loads apart
        std::unique_ptr<hostsim::Frontend> ui;
        std::unique_ptr<hostsim::Host> host;
        Entries memory;                 // the history as the copy holds it
        std::vector<Waiting> waiting;   // its recordings not in the file yet
        long seen = -1;                 // the history's version it last read or wrote
        bool firstHolding = true;       // its next holding sweeps and lists every record
        std::optional<Change> pending;  // made, not yet checked
        std::unique_ptr<Run> run;       // its menu run, while one is open
    };

    template <class Answer, class Body>
    Answer Guarded(Answer cancel, Body body);
    void RaiseKept();
    hostsim::MenuAnswer Menu(Copy &copy, const hostsim::MenuCall &call);
    int Message(Copy &copy, const hostsim::MessageCall &call);
    hostsim::PromptAnswer Prompt(Copy &copy, const hostsim::PromptCall &call);

    // Actors (actors.cpp).
    void Record(std::mt19937_64 &random);
    void RecordBy(Copy &copy, const std::string &name);
    void ShowMenu(std::mt19937_64 &random);
    void RunMenu(Copy &copy);
    void ActAsAnotherProgram(std::mt19937_64 &random);
    void WriteInPlace(std::mt19937_64 &random);
    void CrashACopy(std::mt19937_64 &random);
    void RecordAtOnce(std::mt19937_64 &random, long step);
    void StallACopy(std::mt19937_64 &random);
    void StallAProcess(std::mt19937_64 &random, long step);
    void CutThePower(std::mt19937_64 &random);
    void Restart(Copy &copy);
    void ArmStall(const Copy &copy);
    void ActWhileStalled(const Copy *stalled, std::mt19937_64 &random);

    // The model (model.cpp).
    void Act(Copy &copy, std::mt19937_64 &random);
    void Settle(Copy &copy, const Change &change);
    // What the change found: the file as it read it, and whether another
    // program was writing it then.
    struct Found {
        Look read;
        long version;
    };
    void SettleSaved(Copy &copy, const Change &change, const Look &now, const Found &found,
                     const std::vector<std::string> &taken);
    void SettleUnsaved(Copy &copy, const Change &change, bool holding, bool readIt,
                       const Found &found, const std::vector<std::string> &taken);
    void SettlePending(Copy &copy);
    void SettleLandedSave(Copy &copy);
    // A name recorded, by any copy or another program, and the check that a
    // name a trim or a purge removed comes back only once recorded again.
    void Recorded(const std::string &name);
    void NoteRemoved(const Entries &before, const Entries &after, const Records &recordsNow);
    void CheckTrimmedStayTrimmed(const Look &now) const;
    void CatchUp(Copy &copy);
    // The list a holder of the lock makes for the change: the file as
    // `read`, which the copy found at `version`, read again if it had not
    // seen it (its waiting recordings laid on it), the records `taken` in
    // the order they were made, its recordings only memory holds, the change.
    [[nodiscard]] Entries HolderList(const Copy &copy, const Change &change, const Look &read,
                                     long version, const std::vector<std::string> &taken) const;
    [[nodiscard]] Entries AsRead(const Copy &copy, const Look &read, long version) const;
    void TookNote(const Look &now);
    void AnotherProgramWrote();
    // The records a process of its own took up when it held the lock first:
    // every one there then.
    [[nodiscard]] Entries WithRecordsTaken(Entries list) const;
    void TakeNoteOfRecords();
    [[nodiscard]] Records RecordsOnDisk() const;
    void CheckStrays(bool mayLeave);
    void CheckWorld(bool mayLeave);
    void CheckBurst(const std::vector<Entries> &sequences, const Entries &before,
                    const Records &recordsBefore);
    [[nodiscard]] std::vector<std::string> ProcessOptions() const;
    [[nodiscard]] std::string RandomName(std::mt19937_64 &random) const;
    // The current step's line of the log.
    std::string &Note() { return log_.back(); }
    [[nodiscard]] Copy &AnyCopy(std::mt19937_64 &random);

    Programs programs_;
    World world_;
    std::vector<std::unique_ptr<Copy>> copies_;
    Look last_;            // the history as last seen, after the last step or change
    long version_ = 0;     // counts the history's changes: a copy that saw the last one is current
    Records records_;      // the pending records, as the rules have them
    bool marked_ = false;  // their mark was there at the last look
    // What a crash, a power cut or a failed removal may have left beside the
    // history: a copy's first holding sweeps it.
    bool debris_ = false;
    std::set<std::string> strays_;  // beside the history at the last look
    // Another program is rewriting the history in place, and has not dated
    // it since.
    bool beingWritten_ = false;
    int coarseSeconds_ = 0;  // file times as a file system this coarse keeps them
    // By file (FileKey): when each was last recorded, and when a saved trim
    // or purge last removed it while nothing held it to come back.
    long ticks_ = 0;
    std::map<std::string, long> recordedAt_, removedAt_;
    bool lockHeld_ = false;          // the stalled copy holds the lock
    std::set<std::string> leaving_;  // records the stalled copy took up, to remove
    // The history as the stalled copy's rewrite in place has left it so far:
    // no other copy may read it, and none replaces it.
    std::optional<Look> heldInPlace_;
    bool inWindow_ = false;  // another program wrote in the stalled save's last window
    bool landing_ = false;   // checking a save whose copy stands still
    // The history as it stood when this step's stall began, before the
    // others acted: what the stalled copy last read, unless it read again.
    struct Before {
        Look file;
        long version;
    };
    std::optional<Before> beforeStall_;
    // A stall planned for this step: at that call of that copy's change, or
    // at that call of its rewrite in place.
    long stallAt_ = -1;
    int stallInPlace_ = 0;
    int stalledIndex_ = -1;
    std::uint64_t seed_;
    std::set<long> skipped_;
    std::mt19937_64 *random_ = nullptr;  // the current step's, for the callbacks
    Totals totals_;
    std::vector<std::string> log_;
    std::optional<Violation> violation_;  // found in a callback, raised after it
};

}  // namespace sim
