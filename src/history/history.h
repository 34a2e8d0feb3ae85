// The history: its entries in memory, the file that holds them, and that
// file's stamp at the last successful load. Entries run oldest first; the
// file holds one entry per CR LF terminated line, in the same order.
//
// These globals live as long as the library. Every running copy of the host
// shares the file: each writes the whole list (last writer wins) and reads the
// file again when its stamp has changed.
#pragma once

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
extern platform::FileStamp HistoryStamp;

// Derives the history file's path from the library's path: the same folder
// and name, with ".ini" in place of the library's extension.
void SetHistoryPath(const char *modulePath);
// Reads the file into HistoryList; on success remembers the file's stamp.
// 1 when the list was replaced, 0 when it stayed as it was.
int LoadHistory();
// Loads the file again if its stamp differs from the remembered one; 1 when
// the list was replaced.
int ReloadIfChanged();
// Writes HistoryList to the file; 1 on success, 0 when the file was kept.
int SaveHistory();
