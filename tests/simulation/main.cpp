// The history simulation's command line. It runs seed after seed, each for a
// fixed number of steps, until the time is up; or replays one seed, or the
// seeds of a file; and can shrink a failing run to the steps that matter.
//
//   history_simulation [--seconds T | --minutes M] [--seed S] [--steps N]
//                      [--seeds-file FILE] [--skip A,B,...] [--shrink] [--trace]
//
// A failure prints its seed, its step and the steps before it, and exits 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "simulation/simulation.h"

namespace {

constexpr long kStepsPerSeed = 300;

struct Failure {
    long step;
    std::string what;
    std::vector<std::string> log;
    std::string state;
};

struct Options {
    double seconds = 0;
    std::optional<std::uint64_t> seed;
    long steps = kStepsPerSeed;
    std::string seedsFile;
    std::set<long> skipped;
    bool shrink = false;
};

bool tracing = false;

sim::Totals totals;

// Runs one seed for `steps` steps; the first broken rule, if any.
std::optional<Failure> RunSeed(std::uint64_t seed, long steps, const std::set<long> &skipped) {
    std::optional<sim::Simulation> simulation;
    long step = -1;
    std::optional<Failure> failure;
    try {
        simulation.emplace(sim::Programs{QUORVEL_SIM_PLUGIN, QUORVEL_SIM_COPY}, seed, skipped);
        for (step = 0; step < steps; ++step) {
            simulation->Step(step);
            if (tracing && !simulation->Log().empty())
                std::printf("%s\n  %s", simulation->Log().back().c_str(),
                            simulation->State().c_str());
        }
    } catch (const sim::Violation &violation) {
        failure = Failure{step, violation.what,
                          simulation ? simulation->Log() : std::vector<std::string>{},
                          simulation ? simulation->State() : ""};
    } catch (const std::exception &error) {
        // The world itself failed (a file it could not make or remove): told
        // with its seed and step like a broken rule, not lost in an abort.
        failure = Failure{step, std::string("the simulation failed: ") + error.what(),
                          simulation ? simulation->Log() : std::vector<std::string>{},
                          simulation ? simulation->State() : ""};
    }
    if (simulation) {
        const sim::Totals &counts = simulation->Counts();
        totals.steps += counts.steps;
        totals.faults += counts.faults;
        totals.crashes += counts.crashes;
        totals.menus += counts.menus;
        totals.saves += counts.saves;
        totals.stalls += counts.stalls;
        totals.powerCuts += counts.powerCuts;
    }
    return failure;
}

std::string Listed(const std::set<long> &steps) {
    std::string list;
    for (const long step : steps) {
        if (!list.empty()) list += ',';
        list += std::to_string(step);
    }
    return list;
}

void Report(std::uint64_t seed, const Failure &failure, const std::set<long> &skipped) {
    std::printf("FAILED: seed %llu, step %ld: %s\n", static_cast<unsigned long long>(seed),
                failure.step, failure.what.c_str());
    const std::size_t shown = std::min<std::size_t>(failure.log.size(), 25);
    for (std::size_t i = failure.log.size() - shown; i < failure.log.size(); ++i)
        std::printf("  %s\n", failure.log[i].c_str());
    std::printf("as the rules have it before the step:\n  %s", failure.state.c_str());
    std::printf("replay: history_simulation --seed %llu --steps %ld%s%s\n",
                static_cast<unsigned long long>(seed), failure.step + 1,
                skipped.empty() ? "" : " --skip ", Listed(skipped).c_str());
}

// Leaves out ever smaller runs of steps while the failure stays.
std::set<long> Shrink(std::uint64_t seed, long lastStep, std::set<long> skipped) {
    for (long chunk = (lastStep + 1) / 2; chunk >= 1; chunk /= 2) {
        for (long start = 0; start < lastStep; start += chunk) {
            std::set<long> candidate = skipped;
            for (long step = start; step < std::min(start + chunk, lastStep); ++step)
                candidate.insert(step);
            if (candidate.size() == skipped.size()) continue;
            if (RunSeed(seed, lastStep + 1, candidate)) skipped = candidate;
        }
    }
    return skipped;
}

// Runs the seed; on failure reports it (shrunk if asked) and says false.
bool Passes(std::uint64_t seed, const Options &options) {
    const std::optional<Failure> failure = RunSeed(seed, options.steps, options.skipped);
    if (!failure) return true;
    Report(seed, *failure, options.skipped);
    if (options.shrink) {
        const std::set<long> skipped = Shrink(seed, failure->step, options.skipped);
        if (const auto shrunk = RunSeed(seed, failure->step + 1, skipped)) {
            std::printf("shrunk to %zu steps:\n",
                        static_cast<std::size_t>(failure->step + 1) - skipped.size());
            Report(seed, *shrunk, skipped);
        }
    }
    return false;
}

std::set<long> ParseList(const char *text) {
    std::set<long> steps;
    for (const char *p = text; *p;) {
        char *end = nullptr;
        steps.insert(std::strtol(p, &end, 10));
        p = *end == ',' ? end + 1 : end;
        if (end == p && *p) break;
    }
    return steps;
}

}  // namespace

int main(int argc, char **argv) {
    // Line by line, so that what a sanitizer's abort cuts short is still seen.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "--seconds")
            options.seconds = std::atof(value);
        else if (option == "--minutes")
            options.seconds = 60 * std::atof(value);
        else if (option == "--seed")
            options.seed = std::strtoull(value, nullptr, 10);
        else if (option == "--steps")
            options.steps = std::atol(value);
        else if (option == "--seeds-file")
            options.seedsFile = value;
        else if (option == "--skip")
            options.skipped = ParseList(value);
        else if (option == "--shrink") {
            options.shrink = true;
            continue;
        } else if (option == "--trace") {
            tracing = true;
            continue;
        } else {
            std::fprintf(stderr, "usage: see the top of tests/simulation/main.cpp\n");
            return 2;
        }
        ++i;
    }

    bool passed = true;
    long seeds = 0;
    if (options.seed) {
        passed = Passes(*options.seed, options);
        seeds = 1;
    } else if (!options.seedsFile.empty()) {
        // A seed per line, and what it once found after it; # begins a note.
        std::ifstream file(options.seedsFile);
        for (std::string line; std::getline(file, line);) {
            if (line.empty() || line[0] == '#') continue;
            passed = Passes(std::strtoull(line.c_str(), nullptr, 10), options) && passed;
            ++seeds;
        }
    } else {
        const auto start = std::chrono::steady_clock::now();
        const std::chrono::duration<double> budget(options.seconds > 0 ? options.seconds : 60);
        std::uint64_t seed = std::random_device{}();
        while (passed && std::chrono::steady_clock::now() - start < budget) {
            std::printf("seed %llu\n", static_cast<unsigned long long>(seed));
            passed = Passes(seed++, options);
            ++seeds;
        }
    }
    std::printf(
        "%s: %ld seeds, %ld steps, %ld faults injected, %ld crashes, %ld stalls, %ld power cuts, "
        "%ld menus, %ld saves\n",
        passed ? "passed" : "failed", seeds, totals.steps, totals.faults, totals.crashes,
        totals.stalls, totals.powerCuts, totals.menus, totals.saves);
    return passed ? 0 : 1;
}
