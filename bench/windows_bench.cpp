// The recording and load benchmarks as the Windows build runs them (under
// Wine: bench/run --wine). Google Benchmark is not built for Windows here, so
// this harness keeps its way of measuring: each operation is timed against
// its baseline in the same run, every operation and size is repeated five
// times, the repetitions run in random order, and the median stands for
// them. Then the file-system calls of one recording are counted by kind.
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

#include "platform/fault.h"
#include "ratio_line.h"
#include "recording.h"
#include "sample_history.h"
#include "text/cursor_list.h"

namespace {

constexpr std::int32_t kSizes[] = {1000, 10000, 100000};
constexpr int kRepetitions = 5;
// Each repetition times its operation for at least this long.
constexpr std::chrono::duration<double> kRepetitionTime(0.5);

// Calls `timed` over and over, each call followed by `untimed`, until the
// timed calls add up to kRepetitionTime. The seconds per timed call, or -1
// when a call failed.
template <class Timed, class Untimed>
double SecondsPerCall(Timed timed, Untimed untimed) {
    using Clock = std::chrono::steady_clock;
    Clock::duration spent{};
    long calls = 0;
    while (spent < kRepetitionTime) {
        const Clock::time_point start = Clock::now();
        const bool done = timed();
        spent += Clock::now() - start;
        ++calls;
        if (!done) return -1;
        untimed();
    }
    return std::chrono::duration<double>(spent).count() / static_cast<double>(calls);
}

void Nothing() {}

double RecordFile(std::int32_t entries) {
    if (!StartRecording(entries)) return -1;
    const double seconds = SecondsPerCall(
        [] {
            RecordNext();
            return true;
        },
        Nothing);
    return EndRecording(entries) ? seconds : -1;
}

// The floor of a recording: a safe save alone, with no load.
double SafeSaveBaseline(std::int32_t entries) {
    const SampleHistory &sample = SampleOf(entries);
    const std::string file = ScratchFile("safe-save-" + std::to_string(entries) + ".ini");
    return SecondsPerCall([&] { return WriteAndFlush(sample.bytes, file, true, true); }, Nothing);
}

// Loading into an empty list, as at start-up.
double Load(std::int32_t entries) {
    const SampleHistory &sample = SampleOf(entries);
    CursorList list;
    return SecondsPerCall([&] { return list.LoadFromFile(sample.path.c_str()) != 0; },
                          [&] { list.Clear(); });
}

double LoadBaseline(std::int32_t entries) {
    const SampleHistory &sample = SampleOf(entries);
    return SecondsPerCall([&] { return ReadAndCountLines(sample) >= 0; }, Nothing);
}

struct Benchmark {
    const char *name;
    double (*repetition)(std::int32_t entries);  // seconds per operation, or -1
};
constexpr Benchmark kBenchmarks[] = {{"RecordFile", RecordFile},
                                     {"SafeSaveBaseline", SafeSaveBaseline},
                                     {"Load", Load},
                                     {"LoadBaseline", LoadBaseline}};

std::string Key(const std::string &name, std::int32_t entries) {
    return name + "/" + std::to_string(entries);
}

// Every repetition of every benchmark, in random order; the median seconds
// per operation by Key, missing where a repetition failed.
std::map<std::string, double> RunAll() {
    std::vector<std::pair<const Benchmark *, std::int32_t>> runs;
    for (const Benchmark &benchmark : kBenchmarks)
        for (const std::int32_t entries : kSizes)
            for (int i = 0; i < kRepetitions; ++i) runs.emplace_back(&benchmark, entries);
    std::shuffle(runs.begin(), runs.end(), std::mt19937(std::random_device()()));
    std::map<std::string, std::vector<double>> seconds;
    for (const auto &[benchmark, entries] : runs)
        seconds[Key(benchmark->name, entries)].push_back(benchmark->repetition(entries));

    std::map<std::string, double> medians;
    std::printf("%-24s %14s\n", "Benchmark", "median (us)");
    for (auto &[key, times] : seconds) {
        if (*std::min_element(times.begin(), times.end()) < 0) {
            std::printf("%-24s %14s\n", key.c_str(), "failed");
            continue;
        }
        std::nth_element(times.begin(), times.begin() + kRepetitions / 2, times.end());
        medians[key] = times[kRepetitions / 2];
        std::printf("%-24s %14.1f\n", key.c_str(), medians[key] * 1e6);
    }
    return medians;
}

void PrintRatios(const std::map<std::string, double> &medians) {
    const auto ratio = [&](const char *over, const char *under,
                           std::int32_t entries) -> std::optional<double> {
        const auto a = medians.find(Key(over, entries)), b = medians.find(Key(under, entries));
        if (a == medians.end() || b == medians.end() || b->second <= 0) return std::nullopt;
        return a->second / b->second;
    };
    std::cout << "\nRecording against a safe save alone (wall-clock time)\n";
    for (const std::int32_t entries : kSizes)
        PrintRatioLine(std::cout, "record / safe save, " + std::to_string(entries) + " entries",
                       ratio("RecordFile", "SafeSaveBaseline", entries), 1.5);
    std::cout << "\nLoading against one read and a line count (wall-clock time)\n";
    for (const std::int32_t entries : kSizes)
        PrintRatioLine(std::cout, "load / baseline, " + std::to_string(entries) + " entries",
                       ratio("Load", "LoadBaseline", entries), 2.0);
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
    std::printf("\nFile-system calls per recording: %g\n",
                static_cast<double>(total) / kRecordings);
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
