// The figure that stands for a benchmark's repetitions.
#pragma once

#include <algorithm>
#include <optional>
#include <vector>

// The median of the values (the upper one of an even count), or nothing
// when there are none or one of them failed (< 0).
inline std::optional<double> Median(std::vector<double> values) {
    if (values.empty() || *std::min_element(values.begin(), values.end()) < 0) return std::nullopt;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}
