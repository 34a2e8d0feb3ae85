// Benchmarks of the history file against the plain file operations beneath
// it, measured in the same run: loading against one fread that counts the
// line breaks, saving against one fwrite and one flush to disk.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iostream>

#include "platform/fault.h"
#include "ratio_reporter.h"
#include "sample_history.h"
#include "text/cursor_list.h"

namespace {

const SampleHistory &SampleFor(const benchmark::State &state) {
    return SampleOf(static_cast<std::int32_t>(state.range(0)));
}

// Heap bytes the list holds per entry once the sample is loaded into it empty.
double HeapBytesPerEntry(const SampleHistory &sample) {
    CursorList list;
    const std::size_t before = mallinfo2().uordblks;
    if (!list.LoadFromFile(sample.path.c_str())) return -1;
    const std::size_t after = mallinfo2().uordblks;
    return static_cast<double>(after - before) / sample.entries;
}

// Loading into an empty list, as at start-up.
void Load(benchmark::State &state) {
    const SampleHistory &sample = SampleFor(state);
    state.counters["heap_bytes_per_entry"] = HeapBytesPerEntry(sample);
    state.counters["bytes_per_path"] =
        static_cast<double>(sample.bytes.size()) / sample.entries - 2;  // less CR LF
    CursorList list;
    for (auto _ : state) {
        if (!list.LoadFromFile(sample.path.c_str())) {
            state.SkipWithError("load failed");
            break;
        }
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
}

// Loading over a list of the same size, as a reload does: the old entries
// are freed within the load.
void Reload(benchmark::State &state) {
    const SampleHistory &sample = SampleFor(state);
    CursorList list;
    for (auto _ : state) {
        if (!list.LoadFromFile(sample.path.c_str())) {
            state.SkipWithError("load failed");
            break;
        }
    }
}

void LoadBaseline(benchmark::State &state) {
    const SampleHistory &sample = SampleFor(state);
    for (auto _ : state) {
        const std::int64_t breaks = ReadAndCountLines(sample);
        if (breaks < 0) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(breaks);
    }
}

void Save(benchmark::State &state) {
    const SampleHistory &sample = SampleFor(state);
    CursorList list;
    if (!list.LoadFromFile(sample.path.c_str())) state.SkipWithError("load failed");
    const std::string path = ScratchFile("saved.ini");
    for (auto _ : state) {
        if (!list.SaveToFile(path.c_str())) {
            state.SkipWithError("save failed");
            break;
        }
    }
}

void SaveBaseline(benchmark::State &state) {
    const SampleHistory &sample = SampleFor(state);
    const std::string path = ScratchFile("written.ini");
    for (auto _ : state) {
        if (!WriteAndFlush(sample.bytes, path, true, false)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}

// Not a target's baseline: tells the cost of replacing a file from the cost
// of walking the list.
void ReplaceBaseline(benchmark::State &state) {
    const SampleHistory &sample = SampleFor(state);
    const std::string path = ScratchFile("replaced.ini");
    for (auto _ : state) {
        if (!WriteAndFlush(sample.bytes, path, true, true)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}

// Wall-clock time: a flush to disk waits without using the processor.
#define HISTORY_BENCHMARK(name)                                               \
    BENCHMARK(name)->Arg(1000)->Arg(10000)->Arg(100000)->UseRealTime()->Unit( \
        benchmark::kMicrosecond)

HISTORY_BENCHMARK(Load);
HISTORY_BENCHMARK(Reload);
HISTORY_BENCHMARK(LoadBaseline);
HISTORY_BENCHMARK(Save);
HISTORY_BENCHMARK(SaveBaseline);
HISTORY_BENCHMARK(ReplaceBaseline);

// Takes this program's own option out of the arguments; whether it was there.
bool TakeOption(int &argc, char **argv, const char *option) {
    const auto end = std::remove_if(argv + 1, argv + argc,
                                    [&](const char *arg) { return std::strcmp(arg, option) == 0; });
    const bool found = end != argv + argc;
    argc = static_cast<int>(end - argv);
    return found;
}

}  // namespace

int main(int argc, char **argv) {
    // Whether freed memory goes back to the kernel, to be faulted in again by
    // the next operation, depends on glibc's thresholds, which move with what
    // ran before. By default they are left as a user's process has them;
    // fixed, each figure is the operation's own work alone.
    if (TakeOption(argc, argv, "--fixed_malloc_thresholds")) {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    platform::fault::SetDiskFlush(true);  // saves really reach the disk here
    RatioReporter reporter(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary(std::cout);
    benchmark::Shutdown();
    return 0;
}
