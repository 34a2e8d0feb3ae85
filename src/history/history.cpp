// The history globals, and reading and writing them as one file.
#include "history/history.h"

#include "history/history_path.h"

constinit HistoryEntries HistoryList;
constinit DynString HistoryPath;
constinit platform::FileStamp HistoryStamp;

void SetHistoryPath(const char *modulePath) { HistoryPath.Assign(HistoryPathFor(modulePath)); }

LoadResult LoadHistory() {
    HistoryPath.Reserve(0);
    // The stamp is the opened file's: a save by another copy after the open
    // makes a new file, which differs from it.
    platform::FileStamp stamp;
    const LoadResult result = LoadHistoryFile(HistoryList, HistoryPath.buf, stamp);
    if (result == LoadResult::Loaded) HistoryStamp = stamp;
    return result;
}

FileState ReloadIfChanged() {
    HistoryPath.Reserve(0);
    platform::FileStamp stamp;
    switch (platform::StampOf(HistoryPath.buf, stamp)) {
    case platform::Presence::Missing:
        // Nothing to read: the list stays, and the next save creates the
        // file, only if it is still missing then.
        HistoryStamp = {};
        return FileState::Current;
    case platform::Presence::Unknown: return FileState::Unread;
    case platform::Presence::Present: break;
    }
    if (stamp == HistoryStamp) return FileState::Current;
    return LoadHistory() == LoadResult::Loaded ? FileState::Reloaded : FileState::Unread;
}

namespace {

// Saves through the given step and remembers the stamp of the file written.
template <class Step>
platform::SaveOutcome SaveWith(Step step) {
    HistoryPath.Reserve(0);
    platform::FileStamp stamp;
    const platform::SaveOutcome outcome = step(HistoryPath.buf, stamp);
    if (outcome == platform::SaveOutcome::Saved) HistoryStamp = stamp;
    return outcome;
}

}  // namespace

platform::SaveOutcome SaveHistory(platform::FileLock *lock) {
    return SaveWith([lock](const char *path, platform::FileStamp &stamp) {
        return SaveHistoryFile(HistoryList, path, HistoryStamp, stamp, lock);
    });
}

platform::SaveOutcome SaveRecordedHistory(platform::FileLock *lock) {
    return SaveWith([lock](const char *path, platform::FileStamp &stamp) {
        return SaveRecordedHistoryFile(HistoryList, path, HistoryStamp, stamp, lock);
    });
}
