// The history: its entries in memory, the file that holds them, and the
// stamp of that file as this copy last read or wrote it. Entries run oldest
// first; the file holds one entry per CR LF terminated line, in the same
// order.
//
// These globals live as long as the library. The plug-in reads them; every
// change goes through the store (history/history_store.h). The functions
// below are the store's own steps: nothing else calls them.
#pragma once

#include "history/history_file.h"
#include "platform/platform.h"
#include "text/cursor_list.h"
#include "text/dyn_string.h"

// The list class of the one history; it adds nothing to CursorList.
class HistoryEntries final : public CursorList {
public:
    constexpr HistoryEntries() noexcept = default;
};

extern HistoryEntries HistoryList;
extern DynString HistoryPath;
// The file HistoryPath names, through any symbolic links: where the history
// is read and written, so that a history linked elsewhere stays a link.
extern DynString HistoryFile;
// The library's own path, as the host reported it: the history's lock on
// Windows.
extern DynString LibraryPath;
// The file as this copy last read or wrote it; all zero when it has read
// none, or last found none there.
extern platform::FileStamp HistoryStamp;
// Whether that file's last line has no line break (a save's never does).
extern bool HistoryCut;

// Derives the history file's path from the library's path: the same folder
// and name, with ".ini" in place of the library's extension; and finds the
// file it names.
void SetHistoryPath(const char *modulePath);
// Follows HistoryPath's links again: another program may have made it one.
void FindHistoryFile();

// Reads the file into HistoryList and remembers its stamp; on any failure
// the list and the stamp stay as they were. look: the file read.
LoadResult LoadHistory(platform::FileLook &look);

// The file as this copy last read, saved or looked at it, where it has seen
// all a save needs of it: a change starts from it and makes no look of its
// own, as the save's last look tells whether it is still there.
[[nodiscard]] bool LastSeen(platform::FileLook &look);

enum class FileState {
    Current,   // HistoryList holds what the file holds, or there is no file
    Reloaded,  // another copy had saved: the list was read again
    Busy,      // another program holds the file, writes it or removed it now: it passes
    Unread,    // the file holds what this copy cannot read: it lasts
};
// Reads the file again if it is not the one this copy last read or wrote.
// A missing file leaves the list as it is, to be written anew. now: the
// file as it was found or read, for a save that replaces it.
FileState ReloadIfChanged(platform::FileLook &now);

// Whether another program is writing the file the look found now, by what
// this copy read of it (rule 7): no save goes over it.
[[nodiscard]] bool WrittenNow(const platform::FileLook &look);

// Writes HistoryList over the file, only if it is still the file `replaced`
// found there (Stale otherwise), and remembers the stamp of the file
// written, so this copy's own save is not read back.
// patience: how long another program that holds the file may refuse it.
platform::SaveOutcome SaveHistory(const platform::FileLook &replaced,
                                  platform::Patience patience = platform::Patience::Brief);
// The same after a recording: the walk that writes the lines also drops the
// older entries of the recorded file, unless the file could not be opened.
platform::SaveOutcome SaveRecordedHistory(const platform::FileLook &replaced);
