// The loader's result, put in words.
#include "termhost/history_reading.h"

#include <algorithm>

#include "history/history_file.h"
#include "platform/platform.h"
#include "termhost/read_problem.h"

namespace termhost {

HistoryState ReadHistory(const std::string &path, CursorList &entries) {
    HistoryState state;
    platform::FileStamp stamp;
    switch (LoadHistoryFile(entries, path.c_str(), stamp)) {
    case LoadResult::Loaded: state.entries = entries.count; break;
    case LoadResult::Missing: state.missing = true; break;
    case LoadResult::Busy: state.problem = "in use by another program"; break;
    case LoadResult::Unreadable: state.problem = ReadProblem(path); break;
    }
    state.replaceable = platform::CanReplace(path.c_str());
    return state;
}

std::string Describe(const HistoryState &state) {
    // What cannot be read is never replaced: its reason says it all.
    if (!state.problem.empty()) return "cannot be read: " + state.problem;
    std::string about = state.missing ? "no file yet"
                                      : std::to_string(state.entries) +
                                            (state.entries == 1 ? " entry" : " entries");
    if (!state.replaceable) about += ", " + NotSaved(state);
    return about;
}

std::string NotSaved(const HistoryState &state) {
    if (!state.problem.empty()) return "cannot be read: changes are not saved";
    if (state.replaceable) return {};
    // With no file to rewrite in place, only the folder can be in the way.
    return state.missing ? "folder refuses new files: changes are not saved"
                         : "read-only: changes are not saved";
}

std::string EntriesGone(const HistoryState &before, const HistoryState &after) {
    // Never below none: another copy may have recorded meanwhile.
    const std::int32_t gone = std::max<std::int32_t>(0, before.entries - after.entries);
    std::string notice = gone == 0   ? std::string("No entry")
                         : gone == 1 ? std::string("1 entry")
                                     : std::to_string(gone) + " entries";
    notice += " went from the history file";
    const std::string notSaved = NotSaved(after);
    return notSaved.empty() ? notice : notice + " - " + notSaved;
}

}  // namespace termhost
