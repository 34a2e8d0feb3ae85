// One line of a benchmark's summary: an operation's ratio to its baseline
// and whether it meets its target.
#pragma once

#include <optional>
#include <ostream>
#include <string>

// A missing ratio prints "n/a"; a target of 0 prints no verdict.
void PrintRatioLine(std::ostream &out, const std::string &label, std::optional<double> ratio,
                    double target);
