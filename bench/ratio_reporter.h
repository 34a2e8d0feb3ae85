// Console output of the benchmarks, closed by a summary of each operation
// against its baseline and of how its cost grows with the entries.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ratio_line.h"

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool colour) : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override;
    // Prints the history file's ratios and whether each meets its target.
    void PrintSummary(std::ostream &out) const;

    // The ratio of two benchmarks' times, each named with its entries;
    // nullopt when either is missing.
    [[nodiscard]] std::optional<double> Ratio(const std::string &over, int overEntries,
                                              const std::string &under, int underEntries) const;
    // A benchmark's counter (its median with repetitions); nullopt when missing.
    [[nodiscard]] std::optional<double> Counter(const std::string &name, int entries,
                                                const std::string &counter) const;
    // Prints one ratio and whether it meets the target (ratio_line.h).
    void PrintRatio(std::ostream &out, const std::string &label, const std::string &over,
                    int overEntries, const std::string &under, int underEntries,
                    double target) const {
        PrintRatioLine(out, label, Ratio(over, overEntries, under, underEntries), target);
    }

private:
    struct Figures {
        double time = 0;  // wall-clock time per iteration
        bool fromMedian = false;
        std::map<std::string, double> counters;
    };
    // Keyed by name and argument, e.g. "Load/1000"; missing when skipped.
    std::map<std::string, Figures> figures_;

    [[nodiscard]] const Figures *Find(const std::string &name, int entries) const;
};
