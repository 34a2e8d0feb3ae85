// The history globals, and reading and writing them as one file.
#include "history/history.h"

#include "history/history_path.h"

constinit HistoryEntries HistoryList;
constinit DynString HistoryPath;
constinit DynString HistoryFile;
constinit DynString LibraryPath;
constinit platform::FileStamp HistoryStamp;
constinit bool HistoryCut = false;

namespace {

// The access list given to this copy's last save, for the next (Windows).
platform::AccessList HistoryAccess;

// The whole look of the file HistoryStamp names, where this copy has one:
// what a change needs to replace that file without looking first.
platform::FileLook SeenLook;

void Saw(const platform::FileLook &look) {
    HistoryStamp = look.stamp;
    SeenLook = look;
}

}  // namespace

void SetHistoryPath(const char *modulePath) {
    HistoryPath.Assign(HistoryPathFor(modulePath));
    LibraryPath.Assign(modulePath);
    FindHistoryFile();
}

void FindHistoryFile() {
    HistoryPath.Reserve(0);
    HistoryFile.Assign(platform::ResolveLinks(HistoryPath.buf).c_str());
}

LoadResult LoadHistory(platform::FileLook &look) {
    HistoryFile.Reserve(0);
    // The stamp is the opened file's: a save by another copy after the open
    // makes a new file, which differs from it.
    bool cut = false;
    const LoadResult result = LoadHistoryFile(HistoryList, HistoryFile.buf, look, cut);
    if (result == LoadResult::Loaded) {
        Saw(look);
        HistoryCut = cut;
    } else {
        SeenLook = {};  // the file there is not the one seen: a change looks first
    }
    return result;
}

bool LastSeen(platform::FileLook &look) {
    const bool whole = SeenLook.presence == platform::Presence::Present &&
                       SeenLook.stamp == HistoryStamp && !(HistoryStamp == platform::FileStamp{});
    if (whole) look = SeenLook;
    return whole;
}

FileState ReloadIfChanged(platform::FileLook &now) {
    HistoryFile.Reserve(0);
    now = platform::LookAt(HistoryFile.buf);
    switch (now.presence) {
    case platform::Presence::Missing:
        // Nothing to read: the list stays, and the next save creates the
        // file, only if it is still missing then.
        HistoryStamp = {};
        return FileState::Current;
    case platform::Presence::Unknown: return FileState::Unread;
    case platform::Presence::Present: break;
    }
    if (now.stamp == HistoryStamp) {
        Saw(now);
        return FileState::Current;
    }
    switch (LoadHistory(now)) {
    case LoadResult::Loaded: return FileState::Reloaded;
    case LoadResult::Missing:  // gone since the look: it passes, and the next look tells
    case LoadResult::Busy: return FileState::Busy;
    case LoadResult::Unreadable: break;
    }
    return FileState::Unread;
}

bool WrittenNow(const platform::FileLook &look) {
    return look.presence == platform::Presence::Present &&
           platform::BeingWritten(look.stamp, HistoryCut && look.stamp == HistoryStamp);
}

namespace {

// Saves through the given step and remembers the stamp of the file written.
template <class Step>
platform::SaveOutcome SaveWith(const platform::FileLook &replaced, Step step) {
    HistoryFile.Reserve(0);
    platform::FileStamp stamp;
    const platform::SaveOutcome outcome = step(HistoryFile.buf, stamp);
    // A rewrite in place put back leaves the contents this copy read.
    if (outcome == platform::SaveOutcome::Saved || !(stamp == platform::FileStamp{})) {
        // A first creation's file has permissions this copy has not seen.
        SeenLook =
            replaced.presence == platform::Presence::Present ? replaced : platform::FileLook{};
        SeenLook.stamp = HistoryStamp = stamp;
        HistoryCut = HistoryCut && outcome != platform::SaveOutcome::Saved;
    }
    return outcome;
}

}  // namespace

platform::SaveOutcome SaveHistory(const platform::FileLook &replaced, platform::Patience patience) {
    return SaveWith(replaced, [&](const char *path, platform::FileStamp &stamp) {
        return SaveHistoryFile(HistoryList, path, replaced, stamp, &HistoryAccess, patience);
    });
}

platform::SaveOutcome SaveRecordedHistory(const platform::FileLook &replaced) {
    return SaveWith(replaced, [&replaced](const char *path, platform::FileStamp &stamp) {
        return SaveRecordedHistoryFile(HistoryList, path, replaced, stamp, &HistoryAccess);
    });
}
