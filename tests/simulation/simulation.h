// The simulation: copies of the plug-in sharing one history, driven at random
// through their exports by the stand-in host, with faults injected into their
// calls to the system, and checked after every step against the rules. Each
// run is determined by its seed; each step draws from a stream of its own, so
// that a run with some steps left out can be replayed to shrink a failure.
#pragma once

#include <cstdint>
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

// A change a copy makes to the history, checked once it has been made.
struct Change {
    enum Kind { Record, Trim, Purge };
    Kind kind = Record;
    std::string name;            // Record: the name as kept
    std::int32_t keep = 0;       // Trim
    std::set<std::string> gone;  // Purge: the entries found missing when F5 was pressed

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
};

// A broken rule: what was expected, and what was found.
struct Violation {
    std::string what;
};

// Totals over a run, for the report.
struct Totals {
    long steps = 0, faults = 0, crashes = 0, menus = 0, saves = 0;
};

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
    struct Copy;
    struct Run;

    template <class Answer, class Body>
    Answer Guarded(Answer cancel, Body body);
    void RaiseKept();
    hostsim::MenuAnswer Menu(int copy, const hostsim::MenuCall &call);
    int Message(int copy, const hostsim::MessageCall &call);
    hostsim::PromptAnswer Prompt(int copy, const hostsim::PromptCall &call);

    void Record(std::mt19937_64 &random);
    void ShowMenu(std::mt19937_64 &random);
    void ActAsAnotherProgram(std::mt19937_64 &random);
    void CrashACopy(std::mt19937_64 &random);
    void RecordAtOnce(std::mt19937_64 &random, long step);
    void Restart(Copy &copy);

    void Act(Copy &copy, std::mt19937_64 &random);
    void Settle(Copy &copy, const Change &change);
    void SettleChangeOfRun(Copy &copy);
    void CatchUp(Copy &copy);
    void TookNote(const Look &now);
    void CheckWorld();
    [[nodiscard]] std::string RandomName(std::mt19937_64 &random) const;

    Programs programs_;
    World world_;
    std::vector<std::unique_ptr<Copy>> copies_;
    std::unique_ptr<Run> run_;
    Look last_;         // the history as last seen, after the last step or change
    long version_ = 0;  // counts the history's changes: a copy that saw the last one is current
    bool debrisAllowed_ = false;  // a crash or a failed sweep may have left files
    std::uint64_t seed_;
    std::set<long> skipped_;
    std::mt19937_64 *random_ = nullptr;  // the current step's, for the callbacks
    Totals totals_;
    std::vector<std::string> log_;
    std::optional<Violation> violation_;  // found in a callback, raised after it
};

}  // namespace sim
