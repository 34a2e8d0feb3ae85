// Many host processes recording into one large history at once: whether any
// name is lost, and how long the longest recording waited (lock and save).
// Runs natively and, built for Windows, under Wine.
//
//   copies_at_once LIBRARY [OPTION...] [COPIES [NAMES [ENTRIES]]]   (20, 100, 50000)
//
//   --runs N              the whole load N times, each on a fresh history
//   --hung-holder SECONDS the harness holds the history's lock that long, as
//                         a copy that hangs while it holds it would
//   --history-held        the harness holds the history open to no one else
//                         (outside_hold.h) until the copies end
//   --reader SECONDS      the harness holds the history open to read that
//                         long, sharing everything, as a scanner does
//
// Each run copies LIBRARY into a fresh folder, writes a history of ENTRIES
// paths beside it, starts COPIES processes of itself that each record NAMES
// new names through the plug-in's exports, one at a time as a user works,
// and, once they and any holder are done, one more process that records one
// name. A name is then lost when it is in neither the history nor a pending
// record; one in a pending record alone is counted apart, as it should be in
// the history by then. Exit status 1 if a name was lost or still pending.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "hostsim/host.h"
#include "outside_hold.h"
#include "platform/platform.h"
#include "plugin/run_program.h"
#include "sample_history.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string Name(int copy, int n) {
    const char *root =
        platform::kPathSeparator == '/' ? "/home/u/copies/" : "C:\\Users\\u\\copies\\";
    return root + std::to_string(copy) + platform::kPathSeparator + "name-" + std::to_string(n);
}

// A copy: records its names and writes each recording's milliseconds to
// WAITS, one per line.
int RunCopy(const std::string &library, int copy, int names, const std::string &waits) {
    hostsim::ScriptedFrontend ui;
    hostsim::Host host(ui);
    host.StopRecording();
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

// This program's own path, to start copies of it.
std::string SelfPath(const char *argv0) {
#ifdef _WIN32
    (void)argv0;
    char path[MAX_PATH];
    const DWORD size = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, size);
#else
    return argv0;
#endif
}

// The lines of a file, without their CR LF.
std::vector<std::string> Lines(const fs::path &path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The names in the pending records beside the history: its name,
// ".pending." and 32 hex digits.
std::set<std::string> PendingNames(const fs::path &history) {
    const std::string prefix = history.filename().string() + ".pending.";
    std::set<std::string> names;
    for (const fs::directory_entry &entry : fs::directory_iterator(history.parent_path())) {
        const std::string file = entry.path().filename().string();
        if (file.rfind(prefix, 0) == 0 && file.size() == prefix.size() + 32)
            for (std::string &name : Lines(entry.path())) names.insert(std::move(name));
    }
    return names;
}

struct Load {
    std::string self, library;
    int copies = 20, names = 100, entries = 50000;
    std::optional<double> hungHolder, reader;  // seconds
    bool historyHeld = false;
};

struct Outcome {
    long lost = 0, pending = 0;
    int failed = 0;
    double longestWait = 0;  // ms
};

Outcome RunOnce(const Load &load, int run) {
    const std::string name = "copies-" + std::to_string(run);
    const fs::path folder = fs::path(ScratchFile(name));
    fs::create_directories(folder);
    const fs::path library = folder / fs::path(load.library).filename();
    fs::copy_file(load.library, library);
    const fs::path history =
        CopyOfSample(load.entries, name + "/" + library.stem().string() + ".ini",
                     platform::kPathSeparator == '/' ? PathForm::Posix : PathForm::Windows);
    const auto copy = [&](int number, int names) {
        return std::vector<std::string>{load.self,
                                        "--copy",
                                        library.string(),
                                        std::to_string(number),
                                        std::to_string(names),
                                        (folder / ("waits-" + std::to_string(number))).string()};
    };

    const auto start = Clock::now();
    std::optional<OutsideHold> hold;
    if (load.hungHolder) hold.emplace(OutsideHold::Lock(history.string(), library.string()));
    if (load.historyHeld) hold.emplace(OutsideHold::Open(history.string()));
    if (load.reader) hold.emplace(OutsideHold::Read(history.string()));
    Outcome outcome;
    if (hold && !hold->Held()) {
        std::fprintf(stderr, "the harness could not hold %s\n", history.string().c_str());
        outcome.failed = 1;
        return outcome;
    }
    std::vector<Program> programs;
    for (int p = 0; p < load.copies; ++p) programs.emplace_back(copy(p, load.names));
    if (const std::optional<double> heldFor = load.hungHolder ? load.hungHolder : load.reader) {
        std::this_thread::sleep_until(start + std::chrono::duration<double>(*heldFor));
        hold.reset();
    }
    for (Program &program : programs) outcome.failed += program.Wait() != 0;
    hold.reset();
    const std::chrono::duration<double> took = Clock::now() - start;
    outcome.failed += RunProgram(copy(load.copies, 1)) != 0;

    std::set<std::string> kept;
    for (std::string &line : Lines(history)) kept.insert(std::move(line));
    const std::set<std::string> pending = PendingNames(history);
    std::vector<double> waits;
    for (int p = 0; p < load.copies; ++p) {
        for (int n = 0; n < load.names; ++n) {
            const std::string recorded = Name(p, n);
            if (kept.count(recorded)) continue;
            ++(pending.count(recorded) ? outcome.pending : outcome.lost);
        }
        std::ifstream file(folder / ("waits-" + std::to_string(p)));
        for (double wait; file >> wait;) waits.push_back(wait);
    }
    std::sort(waits.begin(), waits.end());
    const auto at = [&](double share) {
        return waits.empty() ? 0.0 : waits[static_cast<std::size_t>(share * (waits.size() - 1))];
    };
    outcome.longestWait = at(1.0);
    std::printf(
        "run %d: %d copies x %d names into %d entries, %.1f s: %ld of %d names lost, %ld only "
        "pending, %d copies failed; waits (ms): median %.1f, 99th percentile %.1f, longest "
        "%.1f\n",
        run, load.copies, load.names, load.entries, took.count(), outcome.lost,
        load.copies * load.names, outcome.pending, outcome.failed, at(0.5), at(0.99), at(1.0));
    return outcome;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 6 && std::string(argv[1]) == "--copy")
        return RunCopy(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: copies_at_once LIBRARY [--runs N] [--hung-holder SECONDS] "
                     "[--history-held] [--reader SECONDS] [COPIES [NAMES [ENTRIES]]]\n");
        return 2;
    }
    Load load;
    load.self = SelfPath(argv[0]);
    load.library = argv[1];
    int runs = 1, arg = 2;
    for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; ++arg) {
        const std::string option = argv[arg];
        if (option == "--history-held")
            load.historyHeld = true;
        else if (option == "--runs" && arg + 1 < argc)
            runs = std::atoi(argv[++arg]);
        else if (option == "--hung-holder" && arg + 1 < argc)
            load.hungHolder = std::atof(argv[++arg]);
        else if (option == "--reader" && arg + 1 < argc)
            load.reader = std::atof(argv[++arg]);
        else
            return 2;
    }
    if (arg < argc) load.copies = std::atoi(argv[arg++]);
    if (arg < argc) load.names = std::atoi(argv[arg++]);
    if (arg < argc) load.entries = std::atoi(argv[arg++]);

    Outcome all;
    for (int run = 0; run < runs; ++run) {
        const Outcome outcome = RunOnce(load, run);
        all.lost += outcome.lost;
        all.pending += outcome.pending;
        all.failed += outcome.failed;
        all.longestWait = std::max(all.longestWait, outcome.longestWait);
    }
    if (runs > 1)
        std::printf(
            "all %d runs: %ld names lost, %ld only pending, %d copies failed, longest "
            "wait %.1f ms\n",
            runs, all.lost, all.pending, all.failed, all.longestWait);
    return all.lost == 0 && all.pending == 0 && all.failed == 0 ? 0 : 1;
}
