// PrintRatioLine: label, ratio, target and verdict in fixed columns.
#include "ratio_line.h"

#include <cstdio>

void PrintRatioLine(std::ostream &out, const std::string &label, std::optional<double> ratio,
                    double target) {
    char line[200];
    if (!ratio) {
        std::snprintf(line, sizeof line, "%-48s %8s\n", label.c_str(), "n/a");
    } else if (target <= 0) {
        std::snprintf(line, sizeof line, "%-48s %7.2fx\n", label.c_str(), *ratio);
    } else {
        std::snprintf(line, sizeof line, "%-48s %7.2fx  (target <= %gx) %s\n", label.c_str(),
                      *ratio, target, *ratio <= target ? "ok" : "MISSED");
    }
    out << line;
}
