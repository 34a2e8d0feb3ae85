// The history globals, and loading, reloading and saving them.
#include "history/history.h"

#include "history/history_path.h"

constinit HistoryEntries HistoryList;
constinit DynString HistoryPath;
constinit platform::FileStamp HistoryStamp;

void SetHistoryPath(const char *modulePath) { HistoryPath.Assign(HistoryPathFor(modulePath)); }

int LoadHistory() {
    HistoryPath.Reserve(0);
    // The stamp is taken before reading: a save by another copy that lands
    // in between then differs from it, and is read at the next check.
    platform::FileStamp stamp;
    const bool stamped = platform::GetFileStamp(HistoryPath.buf, stamp);
    if (!HistoryList.LoadFromFile(HistoryPath.buf)) return 0;
    HistoryStamp = stamped ? stamp : platform::FileStamp{};
    return 1;
}

int ReloadIfChanged() {
    HistoryPath.Reserve(0);
    platform::FileStamp stamp;
    // No file yet (or none readable): keep the list in memory.
    if (!platform::GetFileStamp(HistoryPath.buf, stamp)) return 0;
    return stamp != HistoryStamp ? LoadHistory() : 0;
}

int SaveHistory() {
    HistoryPath.Reserve(0);
    return HistoryList.SaveToFile(HistoryPath.buf);
}
