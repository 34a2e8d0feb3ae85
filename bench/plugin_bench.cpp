// Benchmarks of the plug-in's menu filter and recording against the plain
// work beneath them, measured in the same run: a keystroke against one
// case-folding, memchr-led pass over the same bytes in one buffer, and
// recording a file against a safe save alone.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "history/file_names.h"
#include "history/history.h"
#include "platform/fault.h"
#include "plugin/menu_items.h"
#include "ratio_reporter.h"
#include "recording.h"
#include "safe_save.h"
#include "sample_history.h"

namespace {

constexpr int kSizes[] = {1000, 10000, 100000};

std::int32_t EntriesOf(const benchmark::State &state) {
    return static_cast<std::int32_t>(state.range(0));
}

const char *FormName(PathForm form) { return form == PathForm::Windows ? "windows" : "posix"; }

// A filter typed into the menu. `typed` uses '\\' for the separator, made
// '/' for POSIX paths (the keypad's divide key types the system's one).
struct Query {
    const char *name;
    const char *typed;
};
constexpr Query kQueries[] = {
    {"folder", "conf"},         // a folder fragment
    {"two_part", "src\\core"},  // a fragment across a separator
    {"extension", ".h"},
    {"none", "qz"},  // in no entry; q is rare, so memchr skips far
};
// The first keystroke after "src\": one that matches half of those entries,
// and one that matches none of them.
constexpr Query kNextKeys[] = {{"key_matches", "src\\c"}, {"key_matches_none", "src\\q"}};

std::string Typed(const Query &query, PathForm form) {
    std::string text = query.typed;
    if (form == PathForm::Posix) std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

bool LoadHistorySample(benchmark::State &state, PathForm form) {
    if (HistoryList.LoadFromFile(SampleOf(EntriesOf(state), form).path.c_str())) return true;
    state.SkipWithError("load failed");
    return false;
}

// A keystroke that rebuilds from the whole history: the first one typed
// into a filter already in place (after Backspace, say).
void FirstKey(benchmark::State &state, PathForm form, std::string filterText) {
    if (!LoadHistorySample(state, form)) return;
    const DynString filter(filterText.c_str());
    MenuItems items;
    const std::size_t heapBefore = mallinfo2().uordblks;
    items.TakeHistory();
    std::int32_t shown = items.Build(filter);
    state.counters["menu_heap_bytes_per_entry"] =
        static_cast<double>(mallinfo2().uordblks - heapBefore) / HistoryList.count;
    for (auto _ : state) {
        shown = items.Build(filter);
        benchmark::DoNotOptimize(items.Items());
    }
    state.SetLabel(std::to_string(shown) + " items");
    HistoryList.Clear();
}

// A keystroke that adds the filter's last character: only the entries the
// filter without it matched are tested. Each is narrowed from a fresh build.
void NarrowingKey(benchmark::State &state, PathForm form, std::string filterText) {
    if (!LoadHistorySample(state, form)) return;
    const DynString filter(filterText.c_str());
    const DynString before(filterText.substr(0, filterText.size() - 1).c_str());
    MenuItems items;
    items.TakeHistory();
    std::int32_t shownBefore = 0, shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        shownBefore = items.Build(before);
        state.ResumeTiming();
        shown = items.Narrow(filter);
        benchmark::DoNotOptimize(items.Items());
    }
    state.counters["matched_before"] = shownBefore;
    state.SetLabel(std::to_string(shownBefore) + " -> " + std::to_string(shown) + " items");
    HistoryList.Clear();
}

// The floor of a keystroke: the entries' bytes in one buffer (each ended by
// a line feed), folded a block at a time into a buffer that stays in the
// cache, and searched there: memchr finds the filter's first byte, memcmp
// compares the rest, and a hit moves on to the next line, as one hit is
// enough to show an entry.
std::int64_t ContiguousPass(const std::string &entries, std::string_view filter, char *folded,
                            std::size_t blockSize) {
    std::int64_t hits = 0;
    const std::size_t rest = filter.size() - 1;
    for (std::size_t start = 0; start < entries.size();) {
        std::size_t end = std::min(start + blockSize, entries.size());
        // Blocks end after a line feed, so no entry spans two of them.
        while (end < entries.size() && entries[end - 1] != '\n') --end;
        const std::size_t size = end - start;
        // Plain pointers: writes through a string's operator[] may alias its
        // own pointers, which keeps the loop from being vectorised.
        std::transform(entries.data() + start, entries.data() + end, folded, FoldAscii);
        const char *p = folded, *stop = folded + size;
        while (static_cast<std::size_t>(stop - p) > rest) {
            const auto *hit = static_cast<const char *>(
                std::memchr(p, filter[0], static_cast<std::size_t>(stop - p) - rest));
            if (!hit) break;
            if (std::memcmp(hit + 1, filter.data() + 1, rest) != 0) {
                p = hit + 1;
                continue;
            }
            ++hits;
            p = static_cast<const char *>(
                    std::memchr(hit, '\n', static_cast<std::size_t>(stop - hit))) +
                1;
        }
        start = end;
    }
    return hits;
}

void FilterBaseline(benchmark::State &state, PathForm form, std::string filterText) {
    constexpr std::size_t kBlock = 16 * 1024;
    if (!LoadHistorySample(state, form)) return;
    std::string entries;
    for (const ListNode *node = HistoryList.first; node; node = node->next)
        (entries += std::string_view(node->text.buf, static_cast<std::size_t>(node->text.len))) +=
            '\n';
    HistoryList.Clear();
    std::string folded(kBlock, '\0');
    std::int64_t hits = 0;
    for (auto _ : state) {
        hits = ContiguousPass(entries, filterText, folded.data(), kBlock);
        benchmark::DoNotOptimize(hits);
    }
    state.SetLabel(std::to_string(hits) + " items");
}

// Each recording is timed whole.
void RecordFile(benchmark::State &state, bool flushed) {
    platform::fault::SetDiskFlush(flushed);
    if (!StartRecording(EntriesOf(state))) {
        state.SkipWithError("history not loaded");
        return;
    }
    for (auto _ : state) RecordNext();
    // Every recording must have reached the file, or less was written.
    if (!EndRecording(EntriesOf(state))) state.SkipWithError("a recording was not saved");
}

// The floor of a recording: a safe save alone, with no load; unflushed, the
// same calls through the C runtime's stream but the flushes.
void SafeSaveBaseline(benchmark::State &state, bool flushed) {
    const SampleHistory &sample = SampleOf(EntriesOf(state));
    const std::string file = ScratchFile("safe-save-" + std::to_string(sample.entries) + ".ini");
    for (auto _ : state) {
        if (!(flushed ? SafeSave(sample.bytes, file)
                      : WriteAndFlush(sample.bytes, file, false, true))) {
            state.SkipWithError("save failed");
            break;
        }
    }
}

// Recording's search for older entries of the same file, by either rule:
// every entry compared with a name that none of them is.
void OlderEntrySearch(benchmark::State &state, bool ignoringCase) {
    if (!LoadHistorySample(state, PathForm::Windows)) return;
    const DynString recorded(kRecorded[0]);
    std::int32_t same = 0;
    for (auto _ : state) {
        same = 0;
        for (const ListNode *node = HistoryList.first; node; node = node->next) {
            const DynString &entry = node->text;
            same += ignoringCase
                        ? EqualIgnoringAsciiCase(entry.buf, entry.len, recorded.buf, recorded.len)
                        : SameFile(entry, recorded);
        }
        benchmark::DoNotOptimize(same);
    }
    HistoryList.Clear();
}

template <class... Arguments>
benchmark::internal::Benchmark *Register(const std::string &name,
                                         void (*function)(benchmark::State &, Arguments...),
                                         Arguments... arguments) {
    return benchmark::RegisterBenchmark(name.c_str(), function, arguments...)
        ->Arg(kSizes[0])
        ->Arg(kSizes[1])
        ->Arg(kSizes[2])
        ->UseRealTime()  // a flush to disk waits without using the processor
        ->Unit(benchmark::kMicrosecond);
}

void RegisterAll() {
    for (const PathForm form : {PathForm::Windows, PathForm::Posix}) {
        const std::string suffix = std::string("/") + FormName(form);
        for (const Query &query : kQueries) {
            const std::string typed = Typed(query, form);
            Register("FirstKey/" + std::string(query.name) + suffix, FirstKey, form, typed);
            // Each narrowing is timed after an untimed build: less time is
            // timed, or the builds would make the run long.
            Register("NarrowingKey/" + std::string(query.name) + suffix, NarrowingKey, form, typed)
                ->MinTime(0.1);
            Register("FilterBaseline/" + std::string(query.name) + suffix, FilterBaseline, form,
                     typed);
        }
        for (const Query &key : kNextKeys)
            Register("NarrowingKey/" + std::string(key.name) + suffix, NarrowingKey, form,
                     Typed(key, form))
                ->MinTime(0.1);
    }
    Register("RecordFile/flushed", RecordFile, true);
    Register("SafeSaveBaseline/flushed", SafeSaveBaseline, true);
    Register("RecordFile/unflushed", RecordFile, false);
    Register("SafeSaveBaseline/unflushed", SafeSaveBaseline, false);
    Register("OlderEntrySearch/posix", OlderEntrySearch, false);
    Register("OlderEntrySearch/windows", OlderEntrySearch, true);
}

void PrintFilterSummary(const RatioReporter &reporter, std::ostream &out) {
    out << "\nMenu filter against one contiguous pass (wall-clock time)\n";
    for (const PathForm form : {PathForm::Windows, PathForm::Posix}) {
        const std::string suffix = std::string("/") + FormName(form);
        for (const int entries : kSizes) {
            const std::string n = ", " + std::to_string(entries);
            // Within 2x everywhere at 1,000 entries, the typical history.
            const double firstTarget = entries == 100000 ? 1.5 : entries == 1000 ? 2 : 0;
            for (const Query &query : kQueries) {
                const std::string name = query.name + suffix;
                reporter.PrintRatio(out, "first key / pass, " + name + n, "FirstKey/" + name,
                                    entries, "FilterBaseline/" + name, entries, firstTarget);
                // The narrowing target holds where at most half matched before.
                const auto before =
                    reporter.Counter("NarrowingKey/" + name, entries, "matched_before");
                const bool narrowTarget = entries == 100000 && before && *before <= entries / 2;
                reporter.PrintRatio(out, "narrowing key / pass, " + name + n,
                                    "NarrowingKey/" + name, entries, "FilterBaseline/" + name,
                                    entries,
                                    narrowTarget      ? 0.5
                                    : entries == 1000 ? 2
                                                      : 0);
            }
            reporter.PrintRatio(out, "key matching none / matching" + suffix + n,
                                "NarrowingKey/key_matches_none" + suffix, entries,
                                "NarrowingKey/key_matches" + suffix, entries, 1);
            reporter.PrintRatio(out, "first key matching none / folder" + suffix + n,
                                "FirstKey/none" + suffix, entries, "FirstKey/folder" + suffix,
                                entries, 1);
        }
    }
    const auto menuHeap =
        reporter.Counter("FirstKey/folder/windows", 100000, "menu_heap_bytes_per_entry");
    if (menuHeap)
        out << "menu arrays per entry while the menu is open: " << *menuHeap << " bytes\n";
}

void PrintRecordingSummary(const RatioReporter &reporter, std::ostream &out) {
    out << "\nRecording against a safe save alone (wall-clock time)\n";
    for (const int entries : kSizes) {
        const std::string n = ", " + std::to_string(entries);
        for (const std::string variant : {"flushed", "unflushed"}) {
            reporter.PrintRatio(out, "record / safe save, " + variant + n, "RecordFile/" + variant,
                                entries, "SafeSaveBaseline/" + variant, entries,
                                entries == 1000     ? 2
                                : entries == 100000 ? 1.3
                                                    : 0);
        }
        // The search for older entries is the walk that recording adds to the
        // save; by the Windows rule it folds case as it compares.
        reporter.PrintRatio(out, "older-entry search, windows / posix rule" + n,
                            "OlderEntrySearch/windows", entries, "OlderEntrySearch/posix", entries,
                            0);
        reporter.PrintRatio(out, "older-entry search (windows) / safe save" + n,
                            "OlderEntrySearch/windows", entries, "SafeSaveBaseline/flushed",
                            entries, 0);
    }
}

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    RatioReporter reporter(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintFilterSummary(reporter, std::cout);
    PrintRecordingSummary(reporter, std::cout);
    benchmark::Shutdown();
    return 0;
}
