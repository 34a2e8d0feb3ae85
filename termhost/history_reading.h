// The history file as the host shows it, read by the plug-in's own loader.
#pragma once

#include <cstdint>
#include <string>

#include "text/cursor_list.h"

namespace termhost {

struct HistoryState {
    std::int32_t entries = 0;
    bool missing = false;     // no history file yet
    std::string problem;      // why it cannot be read, when it is there
    bool replaceable = true;  // a save could replace it, or make it, now
};

// Loads the history file into `entries`, which stay empty unless it loads.
[[nodiscard]] HistoryState ReadHistory(const std::string &path, CursorList &entries);

// The one wording of the history's state, wherever the host shows it:
// "3 entries", "no file yet", "cannot be read: Permission denied",
// "3 entries, read-only: changes are not saved", "no file yet, folder
// refuses new files: changes are not saved".
[[nodiscard]] std::string Describe(const HistoryState &state);

// Why the plug-in's changes are not saved now, ending in "changes are not
// saved"; empty when they are.
[[nodiscard]] std::string NotSaved(const HistoryState &state);

// What a trim or a purge took from the history file, "2 entries went from
// the history file", with why nothing is saved, where nothing is.
[[nodiscard]] std::string EntriesGone(const HistoryState &before, const HistoryState &after);

}  // namespace termhost
