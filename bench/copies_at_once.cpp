// Many host processes recording into one large history at once: whether any
// name is lost, and how long the longest recording waited (lock and save).
//
//   copies_at_once LIBRARY [COPIES [NAMES [ENTRIES]]]   (20, 100, 50000)
//
// It copies LIBRARY into a fresh folder, writes a history of ENTRIES paths
// beside it, starts COPIES processes of itself that each record NAMES new
// names through the plug-in's exports, one at a time as a user works, and
// reports names lost and the recordings' waits. Exit status 1 if a name was
// lost.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hostsim/host.h"
#include "plugin/run_program.h"
#include "sample_history.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string Name(int copy, int n) {
    return "/home/u/copies/" + std::to_string(copy) + "/name-" + std::to_string(n);
}

// A copy: records its names and writes each recording's milliseconds to
// WAITS, one per line.
int RunCopy(const std::string &library, int copy, int names, const std::string &waits) {
    hostsim::ScriptedFrontend ui;
    hostsim::Host host(ui);
    std::string error;
    if (!host.LoadPlugin(library, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::ofstream out(waits);
    for (int n = 0; n < names; ++n) {
        const auto start = Clock::now();
        host.OpenEditorWindow(Name(copy, n));
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        host.CloseWindow(1);
        out << took.count() << "\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 6 && std::string(argv[1]) == "--copy")
        return RunCopy(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: copies_at_once LIBRARY [COPIES [NAMES [ENTRIES]]]\n");
        return 2;
    }
    const int copies = argc > 2 ? std::atoi(argv[2]) : 20;
    const int names = argc > 3 ? std::atoi(argv[3]) : 100;
    const int entries = argc > 4 ? std::atoi(argv[4]) : 50000;
    const fs::path folder = fs::path(ScratchFile("copies"));
    fs::create_directories(folder);
    const fs::path library = folder / fs::path(argv[1]).filename();
    fs::copy_file(argv[1], library, fs::copy_options::overwrite_existing);
    const fs::path history = fs::path(library).replace_extension(".ini");
    fs::copy_file(SampleOf(entries, PathForm::Posix).path, history,
                  fs::copy_options::overwrite_existing);

    const auto start = Clock::now();
    std::vector<Program> programs;
    for (int p = 0; p < copies; ++p)
        programs.emplace_back(std::vector<std::string>{
            argv[0], "--copy", library.string(), std::to_string(p), std::to_string(names),
            (folder / ("waits-" + std::to_string(p))).string()});
    int failed = 0;
    for (Program &program : programs) failed += program.Wait() != 0;
    const std::chrono::duration<double> took = Clock::now() - start;

    std::set<std::string> kept;
    std::ifstream in(history, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        kept.insert(line.substr(0, line.size() - (line.empty() ? 0 : 1)));
    long lost = 0;
    std::vector<double> waits;
    for (int p = 0; p < copies; ++p) {
        for (int n = 0; n < names; ++n) lost += kept.count(Name(p, n)) == 0;
        std::ifstream file(folder / ("waits-" + std::to_string(p)));
        for (double wait; file >> wait;) waits.push_back(wait);
    }
    std::sort(waits.begin(), waits.end());
    const auto at = [&](double share) {
        return waits.empty() ? 0.0 : waits[static_cast<std::size_t>(share * (waits.size() - 1))];
    };
    std::printf(
        "%d copies x %d names into %d entries, %.1f s: %ld of %d names lost, "
        "%d copies failed\n",
        copies, names, entries, took.count(), lost, copies * names, failed);
    std::printf("recording waits (ms): median %.1f, 99th percentile %.1f, longest %.1f\n", at(0.5),
                at(0.99), at(1.0));
    return lost == 0 && failed == 0 ? 0 : 1;
}
