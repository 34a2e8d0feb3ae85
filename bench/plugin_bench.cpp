// Benchmarks of the plug-in's recording and menu building against the plain
// work beneath them, measured in the same run: recording a file against one
// load and one save of the history, rebuilding the menu's items against one
// pass that lower-cases the same bytes and searches the filter in them.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include "history/file_names.h"
#include "history/history.h"
#include "history/history_store.h"
#include "platform/fault.h"
#include "plugin/menu_items.h"
#include "ratio_reporter.h"
#include "sample_history.h"

namespace {

std::int32_t EntriesOf(const benchmark::State &state) {
    return static_cast<std::int32_t>(state.range(0));
}

// Two files the sample lacks. Recorded in turn, each replaces its own older
// entry near the end, so the list keeps its size.
constexpr const char *kRecorded[] = {
    "C:\\Users\\alice\\source\\repos\\billing\\src\\core\\recorded_1.cpp",
    "C:\\Users\\alice\\source\\repos\\billing\\src\\core\\recorded_2.cpp"};

// Typed text that is in no entry, and text that two entries in three hold.
constexpr const char *kMatchesNone = "\\tests\\";
constexpr const char *kMatchesMost = "c:\\users\\";

// Each recording saves, so the next one reads the changed file first: the
// reload, the walk for older entries and the save are all timed.
void RecordFile(benchmark::State &state, bool flushed) {
    platform::fault::SetDiskFlush(flushed);
    const std::int32_t entries = EntriesOf(state);
    const std::string name = "recording-" + std::to_string(entries);
    const std::string file = CopyOfSample(entries, name + ".ini");
    SetHistoryPath(ScratchFile(name + ".so").c_str());
    if (file != HistoryPath.buf || LoadHistory() != LoadResult::Loaded) {
        state.SkipWithError("history not loaded");
        return;
    }
    for (const char *recorded : kRecorded) RecordEditedFile(recorded);
    std::size_t turn = 0;
    for (auto _ : state) {
        RecordEditedFile(kRecorded[turn]);
        turn ^= 1;
    }
    // Every recording must have reached the file, or less was written.
    CursorList saved;
    if (!saved.LoadFromFile(file.c_str()) || saved.count != entries + 2 ||
        HistoryList.count != entries + 2)
        state.SkipWithError("a recording was not saved");
    HistoryList.Clear();
}

void LoadSaveBaseline(benchmark::State &state, bool flushed) {
    platform::fault::SetDiskFlush(flushed);
    const std::int32_t entries = EntriesOf(state);
    const std::string file = CopyOfSample(entries, "baseline-" + std::to_string(entries) + ".ini");
    CursorList list;  // full, as the history is, so each load frees a list
    if (!list.LoadFromFile(file.c_str())) state.SkipWithError("load failed");
    for (auto _ : state) {
        if (!list.LoadFromFile(file.c_str()) || !list.SaveToFile(file.c_str())) {
            state.SkipWithError("load or save failed");
            break;
        }
    }
}

bool LoadHistorySample(benchmark::State &state) {
    if (HistoryList.LoadFromFile(SampleOf(EntriesOf(state)).path.c_str())) return true;
    state.SkipWithError("load failed");
    return false;
}

// One rebuild with the whole filter typed so far.
void BuildItems(benchmark::State &state, const char *filterText) {
    if (!LoadHistorySample(state)) return;
    const DynString filter(filterText);
    MenuItems items;
    std::int32_t shown = 0;
    for (auto _ : state) {
        shown = items.Build(filter);
        benchmark::DoNotOptimize(items.Items());
    }
    state.SetLabel(std::to_string(shown) + " items");
    HistoryList.Clear();
}

void FilterBaseline(benchmark::State &state, const char *filterText) {
    if (!LoadHistorySample(state)) return;
    // The entries' bytes in one buffer, each ended by a line feed.
    std::string entries;
    for (const ListNode *node = HistoryList.first; node; node = node->next)
        (entries += std::string_view(node->text.buf, static_cast<std::size_t>(node->text.len))) +=
            '\n';
    HistoryList.Clear();
    std::string folded(entries.size(), '\0');
    const std::string_view filter(filterText);
    std::int64_t hits = 0;
    for (auto _ : state) {
        // Plain pointers: writes through a string's operator[] may alias its
        // own pointers, which keeps the loop from being vectorised.
        std::transform(entries.data(), entries.data() + entries.size(), folded.data(), FoldAscii);
        const std::string_view text(folded);
        hits = 0;
        // After a hit the search goes on at the next entry, as one hit is
        // enough to show an entry.
        for (auto at = text.find(filter); at != text.npos;
             at = text.find(filter, text.find('\n', at) + 1))
            ++hits;
        benchmark::DoNotOptimize(hits);
    }
    state.SetLabel(std::to_string(hits) + " items");
}

// Wall-clock time: a flush to disk waits without using the processor.
#define PLUGIN_BENCHMARK(name, variant, argument)                                  \
    BENCHMARK_CAPTURE(name, variant, argument)                                     \
        ->Arg(10000)                                                               \
        ->Arg(100000)                                                              \
        ->UseRealTime()                                                            \
        ->Unit(benchmark::kMicrosecond)

PLUGIN_BENCHMARK(RecordFile, flushed, true);
PLUGIN_BENCHMARK(LoadSaveBaseline, flushed, true);
PLUGIN_BENCHMARK(RecordFile, unflushed, false);
PLUGIN_BENCHMARK(LoadSaveBaseline, unflushed, false);
PLUGIN_BENCHMARK(BuildItems, none_match, kMatchesNone);
PLUGIN_BENCHMARK(FilterBaseline, none_match, kMatchesNone);
PLUGIN_BENCHMARK(BuildItems, most_match, kMatchesMost);
PLUGIN_BENCHMARK(FilterBaseline, most_match, kMatchesMost);

void PrintSummary(const RatioReporter &reporter, std::ostream &out) {
    struct Pair {
        const char *label;
        std::string over, under;
        double target;
    };
    const Pair pairs[] = {
        {"record / load+save, flushed", "RecordFile/flushed", "LoadSaveBaseline/flushed", 1.25},
        {"record / load+save, unflushed", "RecordFile/unflushed", "LoadSaveBaseline/unflushed",
         1.25},
        {"items / pass, none match", "BuildItems/none_match", "FilterBaseline/none_match", 4},
        {"items / pass, most match", "BuildItems/most_match", "FilterBaseline/most_match", 4},
    };
    out << "\nPlug-in against its baselines (wall-clock time)\n";
    for (const Pair &pair : pairs) {
        for (const int entries : {10000, 100000}) {
            reporter.PrintRatio(out, std::string(pair.label) + ", " + std::to_string(entries),
                                pair.over, entries, pair.under, entries, pair.target);
        }
    }
    out << "\nGrowth from 10000 to 100000 entries\n";
    for (const Pair &pair : pairs) {
        reporter.PrintRatio(out, pair.over, pair.over, 100000, pair.over, 10000, 12);
        reporter.PrintRatio(out, pair.under, pair.under, 100000, pair.under, 10000, 0);
    }
}

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter, std::cout);
    benchmark::Shutdown();
    return 0;
}
