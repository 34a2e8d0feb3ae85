// The loader's result, put in words.
#include "termhost/history_reading.h"

#include "history/history_file.h"
#include "termhost/read_problem.h"

namespace termhost {

HistoryState ReadHistory(const std::string &path, CursorList &entries) {
    HistoryState state;
    platform::FileStamp stamp;
    switch (LoadHistoryFile(entries, path.c_str(), stamp)) {
    case LoadResult::Loaded: state.entries = entries.count; break;
    case LoadResult::Missing: state.missing = true; break;
    case LoadResult::Unreadable: state.problem = ReadProblem(path); break;
    }
    return state;
}

std::string Describe(const HistoryState &state) {
    if (state.missing) return "no file yet";
    if (!state.problem.empty()) return "cannot be read: " + state.problem;
    return std::to_string(state.entries) + (state.entries == 1 ? " entry" : " entries");
}

}  // namespace termhost
