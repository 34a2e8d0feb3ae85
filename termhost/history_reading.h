// The history file as the host shows it, read by the plug-in's own loader.
#pragma once

#include <cstdint>
#include <string>

#include "text/cursor_list.h"

namespace termhost {

struct HistoryState {
    std::int32_t entries = 0;
    bool missing = false;  // no history file yet
    std::string problem;   // why it cannot be read, when it is there
};

// Loads the history file into `entries`, which stay empty unless it loads.
[[nodiscard]] HistoryState ReadHistory(const std::string &path, CursorList &entries);

// "3 entries", "no file yet", "cannot be read: a folder, not a file".
[[nodiscard]] std::string Describe(const HistoryState &state);

// Said where the plug-in's changes to the history file cannot be saved.
inline constexpr char kNotSaved[] = "read-only: changes are not saved";

}  // namespace termhost
