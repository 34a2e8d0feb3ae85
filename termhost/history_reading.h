// The history file as the host shows it: its entries, read with a bound and
// without ever blocking, apart from the plug-in's own copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace termhost {

// The most bytes read: far more than any history of real use, little enough
// to read in a moment.
inline constexpr std::size_t kHistoryReadLimit = std::size_t{64} << 20;
inline constexpr char kHistoryReadLimitText[] = "64 MiB";

struct HistorySummary {
    std::uintmax_t entries = 0;
    bool missing = false;  // no history file yet
    bool cut = false;      // larger than the limit: only its start was read
    std::string problem;   // why it cannot be read, when it is there
};

// Reads the entries as the plug-in splits them (a line ends at CR, LF or
// CR LF; a NUL ends its text) and hands each to `entry`, if given. A line
// that the limit cuts is not an entry.
[[nodiscard]] HistorySummary ReadHistory(const std::string &path,
                                         const std::function<void(std::string_view)> &entry = {});

// "3 entries", "no file yet", "at least 812 entries in its first 64 MiB"...
[[nodiscard]] std::string Describe(const HistorySummary &summary);

}  // namespace termhost
