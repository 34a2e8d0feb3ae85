// RatioReporter: collects each benchmark's time and prints the ratios.
#include "ratio_reporter.h"

#include <cstdio>

void RatioReporter::ReportRuns(const std::vector<Run> &runs) {
    for (const Run &run : runs) {
        if (run.error_occurred) continue;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) continue;
        Figures &figures = figures_[run.run_name.function_name + "/" + run.run_name.args];
        // With repetitions the median stands for them all.
        if (figures.fromMedian && !median) continue;
        figures.time = run.GetAdjustedRealTime();
        figures.fromMedian = median;
        for (const auto &[name, counter] : run.counters) figures.counters[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
}

const RatioReporter::Figures *RatioReporter::Find(const std::string &name, int entries) const {
    const auto found = figures_.find(name + "/" + std::to_string(entries));
    return found == figures_.end() ? nullptr : &found->second;
}

std::optional<double> RatioReporter::Ratio(const std::string &over, int overEntries,
                                           const std::string &under, int underEntries) const {
    const Figures *a = Find(over, overEntries);
    const Figures *b = Find(under, underEntries);
    if (!a || !b || b->time <= 0) return std::nullopt;
    return a->time / b->time;
}

std::optional<double> RatioReporter::Counter(const std::string &name, int entries,
                                             const std::string &counter) const {
    const Figures *figures = Find(name, entries);
    if (!figures) return std::nullopt;
    const auto found = figures->counters.find(counter);
    if (found == figures->counters.end()) return std::nullopt;
    return found->second;
}

void RatioReporter::PrintSummary(std::ostream &out) const {
    out << "\nHistory file against its baselines (wall-clock time)\n";
    for (const int entries : {1000, 10000, 100000}) {
        const std::string n = std::to_string(entries);
        PrintRatio(out, "load / baseline, " + n + " entries", "Load", entries, "LoadBaseline",
                   entries, 2.0);
        // At 1,000 entries, the typical history, everything is within 2x.
        PrintRatio(out, "reload / baseline, " + n + " entries", "Reload", entries, "LoadBaseline",
                   entries, entries == 1000 ? 2.0 : 0);
        PrintRatio(out, "save / baseline, " + n + " entries", "Save", entries, "SaveBaseline",
                   entries, 1.5);
        PrintRatio(out, "save / replace baseline, " + n + " entries", "Save", entries,
                   "ReplaceBaseline", entries, 0);
    }
    for (const std::string name : {"Load", "Reload", "Save"})
        PrintRatio(out, name + " 100000 / 10000 entries", name, 100000, name, 10000, 12.0);
    // For comparison: how the plain file operations themselves grow.
    for (const std::string name : {"LoadBaseline", "SaveBaseline"})
        PrintRatio(out, name + " 100000 / 10000 entries", name, 100000, name, 10000, 0);
    // Heap per entry against the entry's own bytes.
    const auto heap = Counter("Load", 100000, "heap_bytes_per_entry");
    const auto bytes = Counter("Load", 100000, "bytes_per_path");
    if (heap && bytes && *bytes > 0) {
        char label[100];
        std::snprintf(label, sizeof label, "heap per entry / its bytes (%.1f / %.1f)", *heap,
                      *bytes);
        PrintRatioLine(out, label, *heap / *bytes, 1.9);
    }
}
