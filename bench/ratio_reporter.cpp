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
        if (const auto heap = run.counters.find("heap_bytes_per_entry"); heap != run.counters.end())
            figures.heapBytesPerEntry = heap->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
}

const RatioReporter::Figures *RatioReporter::Find(const std::string &name, int entries) const {
    const auto found = figures_.find(name + "/" + std::to_string(entries));
    return found == figures_.end() ? nullptr : &found->second;
}

void RatioReporter::PrintRatio(std::ostream &out, const std::string &label,
                               const std::string &over, int overEntries,
                               const std::string &under, int underEntries, double target) const {
    const Figures *a = Find(over, overEntries);
    const Figures *b = Find(under, underEntries);
    char line[160];
    if (!a || !b || b->time <= 0) {
        std::snprintf(line, sizeof line, "%-40s %8s\n", label.c_str(), "n/a");
    } else if (target <= 0) {
        std::snprintf(line, sizeof line, "%-40s %7.2fx\n", label.c_str(), a->time / b->time);
    } else {
        const double ratio = a->time / b->time;
        std::snprintf(line, sizeof line, "%-40s %7.2fx  (target <= %gx) %s\n", label.c_str(),
                      ratio, target, ratio <= target ? "ok" : "MISSED");
    }
    out << line;
}

void RatioReporter::PrintSummary(std::ostream &out) const {
    out << "\nHistory file against its baselines (wall-clock time)\n";
    for (const int entries : {1000, 10000, 100000}) {
        const std::string n = std::to_string(entries);
        PrintRatio(out, "load / baseline, " + n + " entries", "Load", entries, "LoadBaseline",
                   entries, 5.0);
        PrintRatio(out, "reload / baseline, " + n + " entries", "Reload", entries,
                   "LoadBaseline", entries, 5.0);
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
    const Figures *load = Find("Load", 100000);
    char line[160];
    if (load && load->heapBytesPerEntry >= 0) {
        std::snprintf(line, sizeof line, "%-40s %7.1f bytes (target < 200) %s\n",
                      "heap per entry, 100000 entries", load->heapBytesPerEntry,
                      load->heapBytesPerEntry < 200 ? "ok" : "MISSED");
        out << line;
    }
}
