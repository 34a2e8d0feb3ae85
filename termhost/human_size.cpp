// Scaling a byte count to a binary unit.
#include "termhost/human_size.h"

#include <array>
#include <cstdio>

namespace termhost {

std::string HumanSize(std::uintmax_t bytes) {
    constexpr std::array<const char *, 7> kUnits = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    constexpr unsigned kStep = 1024;
    if (bytes < kStep) return std::to_string(bytes) + " B";
    auto value = static_cast<long double>(bytes);
    std::size_t unit = 0;
    // 1023.95 would print as "1024.0": it goes up a unit instead.
    while (value >= 1023.95L && unit + 1 < kUnits.size()) {
        value /= kStep;
        ++unit;
    }
    char text[32];  // "1023.9 KiB" and room to spare
    std::snprintf(text, sizeof text, "%.1Lf %s", value, kUnits[unit]);
    return text;
}

}  // namespace termhost
