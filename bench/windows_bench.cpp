// The recording and load benchmarks as the Windows build runs them (under
// Wine: bench/run --wine). Google Benchmark is not built for Windows here, so
// this harness keeps its way of measuring: each operation is timed against
// its baseline in the same run, every operation and size is repeated five
// times, the repetitions run in random order, and the median stands for
// them. Within a repetition the operation and its baseline take turns call
// by call, and the ratio is the median of the repetitions' ratios. Each
// ratio is shown twice: of the mean times, and the median of the pairs'
// ratios (as dll_bench takes it), since the disk's slow moments add the same
// wait to both sides of a pair and pull the first towards 1. Then the
// file-system calls of one recording are counted by kind.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "median.h"
#include "platform/fault.h"
#include "ratio_line.h"
#include "recording.h"
#include "safe_save.h"
#include "sample_history.h"
#include "text/cursor_list.h"

namespace {

constexpr std::int32_t kSizes[] = {1000, 10000, 100000};
constexpr int kRepetitions = 5;
// Each repetition times its operation and its baseline for at least this
// long each.
constexpr std::chrono::duration<double> kRepetitionTime(0.5);

// Seconds per call of an operation and of its baseline in one repetition,
// and the median of the ratios of the calls made in turn; -1 when a call
// failed.
struct Timing {
    double operation = -1, baseline = -1, pairs = -1;
};

// Calls `operation` and `baseline` in turn, each operation followed by
// `untimed`, until both have run for kRepetitionTime. Taking turns call by
// call, both meet the same moments of the disk, whose flushes under Wine
// are slower for a second or two at a time: blocks of one and then of the
// other would measure those moments more than the operations.
template <class Operation, class Untimed, class Baseline>
Timing TimedInTurn(Operation operation, Untimed untimed, Baseline baseline) {
    using Clock = std::chrono::steady_clock;
    Clock::duration spentOperation{}, spentBaseline{};
    std::vector<double> pairs;
    while (spentOperation < kRepetitionTime || spentBaseline < kRepetitionTime) {
        Clock::time_point start = Clock::now();
        const bool operated = operation();
        const Clock::duration operationTime = Clock::now() - start;
        if (!operated) return {};
        untimed();
        start = Clock::now();
        const bool based = baseline();
        const Clock::duration baselineTime = Clock::now() - start;
        if (!based) return {};
        spentOperation += operationTime;
        spentBaseline += baselineTime;
        pairs.push_back(std::chrono::duration<double>(operationTime) / baselineTime);
    }
    const auto perCall = [&pairs](Clock::duration spent) {
        return std::chrono::duration<double>(spent).count() / static_cast<double>(pairs.size());
    };
    return {perCall(spentOperation), perCall(spentBaseline), *Median(pairs)};
}

void Nothing() {}

// A recording, against its floor: a safe save alone, with no load, in the
// fewest calls (safe_save.h).
Timing RecordFile(std::int32_t entries) {
    if (!StartRecording(entries)) return {};
    const SampleHistory &sample = SampleOf(entries);
    const std::string file = ScratchFile("safe-save-" + std::to_string(entries) + ".ini");
    const Timing timing = TimedInTurn(
        [] {
            RecordNext();
            return true;
        },
        Nothing, [&] { return SafeSave(sample.bytes, file); });
    return EndRecording(entries) ? timing : Timing{};
}

// Loading into an empty list, as at start-up, against one read and a line
// count.
Timing Load(std::int32_t entries) {
    const SampleHistory &sample = SampleOf(entries);
    CursorList list;
    return TimedInTurn([&] { return list.LoadFromFile(sample.path.c_str()) != 0; },
                       [&] { list.Clear(); }, [&] { return ReadAndCountLines(sample) >= 0; });
}

struct Benchmark {
    const char *name, *baseline;
    Timing (*repetition)(std::int32_t entries);
};
constexpr Benchmark kBenchmarks[] = {{"RecordFile", "SafeSaveBaseline", RecordFile},
                                     {"Load", "LoadBaseline", Load}};

std::string Key(const std::string &name, std::int32_t entries) {
    return name + "/" + std::to_string(entries);
}

// Every repetition of every benchmark, in random order. Prints the median
// seconds per call of each operation and baseline; returns the median of
// the repetitions' ratios of one to the other, by the operation's Key, and
// of their pairs' ratios, by the Key and " pairs".
std::map<std::string, double> RunAll() {
    std::vector<std::pair<const Benchmark *, std::int32_t>> runs;
    for (const Benchmark &benchmark : kBenchmarks)
        for (const std::int32_t entries : kSizes)
            for (int i = 0; i < kRepetitions; ++i) runs.emplace_back(&benchmark, entries);
    std::shuffle(runs.begin(), runs.end(), std::mt19937(std::random_device()()));
    std::map<std::string, std::vector<double>> seconds, ratios;
    for (const auto &[benchmark, entries] : runs) {
        const Timing timing = benchmark->repetition(entries);
        const std::string key = Key(benchmark->name, entries);
        seconds[key].push_back(timing.operation);
        seconds[Key(benchmark->baseline, entries)].push_back(timing.baseline);
        ratios[key].push_back(timing.baseline > 0 ? timing.operation / timing.baseline : -1);
        ratios[key + " pairs"].push_back(timing.pairs);
    }
    std::printf("%-24s %14s\n", "Benchmark", "median (us)");
    for (const auto &[key, times] : seconds) {
        if (const auto median = Median(times))
            std::printf("%-24s %14.1f\n", key.c_str(), *median * 1e6);
        else
            std::printf("%-24s %14s\n", key.c_str(), "failed");
    }
    std::map<std::string, double> medianRatios;
    for (const auto &[key, values] : ratios)
        if (const auto median = Median(values)) medianRatios[key] = *median;
    return medianRatios;
}

void PrintRatios(const std::map<std::string, double> &ratios) {
    // Both ways of taking the ratio, each against the target.
    const auto print = [&](const std::string &label, const char *name, double target) {
        for (const std::int32_t entries : kSizes)
            for (const char *pairs : {"", " pairs"}) {
                const auto found = ratios.find(Key(name, entries) + pairs);
                PrintRatioLine(
                    std::cout, label + std::to_string(entries) + " entries" + pairs,
                    found == ratios.end() ? std::nullopt : std::optional<double>(found->second),
                    target);
            }
    };
    std::cout << "\nRecording against a safe save alone (wall-clock time; mean times, then "
                 "the median of the pairs)\n";
    print("record / safe save, ", "RecordFile", 1.5);
    std::cout << "\nLoading against one read and a line count (wall-clock time; mean times, "
                 "then the median of the pairs)\n";
    print("load / baseline, ", "Load", 2.0);
}

using platform::fault::FileCall;

constexpr std::size_t kCallKinds = static_cast<std::size_t>(FileCall::Lock) + 1;
std::array<long, kCallKinds> callsMade{};

void CountCall(FileCall call) { ++callsMade[static_cast<std::size_t>(call)]; }

const char *KindName(FileCall call) {
    switch (call) {
    case FileCall::Create: return "creates";
    case FileCall::Open: return "opens";
    case FileCall::Close: return "closes";
    case FileCall::Delete: return "deletes";
    case FileCall::List: return "folder listings";
    case FileCall::Flush: return "flushes";
    case FileCall::Rename: return "renames";
    case FileCall::Query: return "attribute queries";
    case FileCall::Change: return "attribute changes";
    case FileCall::Lock: return "locks";
    }
    return "?";
}

// The calls are the same at every size: counted at the smallest.
void PrintCallsPerRecording() {
    constexpr int kRecordings = 20;
    const std::int32_t entries = kSizes[0];
    if (!StartRecording(entries)) {
        std::printf("\nFile-system calls per recording: n/a, the history did not load\n");
        return;
    }
    platform::fault::SetCounter(&CountCall);
    for (int i = 0; i < kRecordings; ++i) RecordNext();
    platform::fault::SetCounter(nullptr);
    if (!EndRecording(entries)) {
        std::printf("\nFile-system calls per recording: n/a, a recording failed\n");
        return;
    }
    long total = 0;
    for (const long made : callsMade) total += made;
    constexpr double kTarget = 10;
    const double perRecording = static_cast<double>(total) / kRecordings;
    std::printf("\nFile-system calls per recording: %g  (target <= %g) %s\n", perRecording, kTarget,
                perRecording <= kTarget ? "ok" : "MISSED");
    for (std::size_t kind = 0; kind < kCallKinds; ++kind)
        std::printf("  %-20s %g\n", KindName(static_cast<FileCall>(kind)),
                    static_cast<double>(callsMade[kind]) / kRecordings);
}

}  // namespace

int main() {
    for (const std::int32_t entries : kSizes) (void)SampleOf(entries);  // made before any timing
    PrintRatios(RunAll());
    PrintCallsPerRecording();
    return 0;
}
