// Recording's cost as a host meets it (Windows; under Wine: bench/run --wine
// dll): a host of its own loads the packaged DLL through its exports,
// points it at a sample history, and takes turns between one recording of
// a new name, raised as the host's editor raises it, and a plain safe save
// of the same bytes (safe_save.h). A repetition's ratio is the median of
// its pairs' ratios; each size is repeated, in random order, and the median
// repetition stands for them. The ratio of the mean times is shown beside
// it, as windows_bench takes it: a flush that meets a slow moment of the
// disk adds the same wait to both sides and pulls that one towards 1.
//
//   dll_bench [--stdio-baseline] [DLL]   (default: the build's quorvel.dll)
//
// --stdio-baseline: the safe save through the C runtime's buffered stream,
// renamed without write-through, as windows_bench's baseline once was.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "host/codes.h"
#include "hostsim/host.h"
#include "median.h"
#include "ratio_line.h"
#include "safe_save.h"
#include "sample_history.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::int32_t kSizes[] = {1000, 10000, 100000};
constexpr int kRepetitions = 5;
constexpr int kPairs = 20;

// Medians of one repetition: seconds per recording and per safe save, and
// the pairs' ratio; then the ratio of the mean times. All -1 when a call
// failed or a recording did not reach the file.
struct Figures {
    double record = -1, save = -1, ratio = -1, meanRatio = -1;
};

bool stdioBaseline = false;

bool Save(const std::string &bytes, const std::string &path) {
    return stdioBaseline ? WriteAndFlush(bytes, path, true, true) : SafeSave(bytes, path);
}

Figures Failed(const std::string &what, const std::string &path) {
    std::fprintf(stderr, "%s: %s\n", what.c_str(), path.c_str());
    return {};
}

double Seconds(Clock::duration spent) { return std::chrono::duration<double>(spent).count(); }

// The DLL is copied into a folder of the size's own, the sample beside it
// as its history: the module path the host reports is the loaded file
// itself, whose byte-range lock is the history's, as in a real install.
Figures Repeat(const std::string &dll, std::int32_t entries, int repetition) {
    const std::string size = "dll-" + std::to_string(entries);
    const fs::path folder = ScratchFile(size);
    const fs::path library = folder / "quorvel.dll";
    if (fs::create_directories(folder)) fs::copy_file(dll, library);
    const std::string history = CopyOfSample(entries, size + "/quorvel.ini");
    std::string bytes = SampleOf(entries).bytes;

    hostsim::ScriptedFrontend ui;
    hostsim::Host host(ui);
    host.StopRecording();
    std::string error;
    if (!host.LoadPlugin(library.string(), &error)) return Failed(error, library.string());
    const std::string saved = (folder / "safe-save.ini").string();
    std::vector<double> records, saves, ratios;
    // The first pair is left out: a copy's first change also sweeps what
    // crashed saves left, which takes a folder listing.
    for (int pair = 0; pair <= kPairs; ++pair) {
        const std::string name =
            "C:\\Users\\alice\\source\\repos\\Contoso\\billing-service\\src\\core\\Handlers\\new_" +
            std::to_string(repetition) + "_" + std::to_string(pair) + ".cpp";
        host.SetEditorFileName(name);
        Clock::time_point start = Clock::now();
        (void)host.ProcessEditorEvent(host::kEditorEventOpened);
        const double record = Seconds(Clock::now() - start);
        bytes += name + "\r\n";
        start = Clock::now();
        if (!Save(bytes, saved)) return Failed("the safe save failed", saved);
        const double save = Seconds(Clock::now() - start);
        if (pair == 0) continue;
        records.push_back(record);
        saves.push_back(save);
        ratios.push_back(record / save);
    }
    host.UnloadPlugin();
    // Every recording reached the file, and made the bytes the saves wrote.
    std::ifstream in(history, std::ios::binary);
    if (std::string(std::istreambuf_iterator<char>(in), {}) != bytes)
        return Failed("a recording did not reach the file", history);
    const auto sum = [](const std::vector<double> &values) {
        return std::accumulate(values.begin(), values.end(), 0.0);
    };
    return {*Median(records), *Median(saves), *Median(ratios), sum(records) / sum(saves)};
}

}  // namespace

int main(int argc, char **argv) {
    int arg = 1;
    stdioBaseline = argc > arg && std::string(argv[arg]) == "--stdio-baseline";
    arg += stdioBaseline;
    const std::string dll = argc > arg ? argv[arg] : QUORVEL_PLUGIN;
    for (const std::int32_t entries : kSizes) (void)SampleOf(entries);  // made before any timing
    std::vector<std::pair<std::int32_t, int>> runs;
    for (const std::int32_t entries : kSizes)
        for (int i = 0; i < kRepetitions; ++i) runs.emplace_back(entries, i);
    std::shuffle(runs.begin(), runs.end(), std::mt19937(std::random_device()()));
    std::map<std::int32_t, std::vector<Figures>> figures;
    for (const auto &[entries, repetition] : runs)
        figures[entries].push_back(Repeat(dll, entries, repetition));

    std::printf("%s, %s baseline\n%-8s %12s %12s %8s %11s\n", dll.c_str(),
                stdioBaseline ? "stdio" : "floor", "entries", "record (us)", "save (us)", "ratio",
                "mean ratio");
    for (const auto &[entries, repetitions] : figures)
        for (const Figures &repetition : repetitions)
            std::printf("%-8d %12.1f %12.1f %8.2f %11.2f\n", entries, repetition.record * 1e6,
                        repetition.save * 1e6, repetition.ratio, repetition.meanRatio);
    std::cout << "\nRecording through the DLL against a plain safe save (median of pairs)\n";
    for (const auto &[entries, repetitions] : figures) {
        std::vector<double> ratios;
        for (const Figures &repetition : repetitions) ratios.push_back(repetition.ratio);
        PrintRatioLine(std::cout, "record / safe save, " + std::to_string(entries) + " entries",
                       Median(ratios), 1.5);
    }
    return 0;
}
