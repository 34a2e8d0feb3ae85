// The history store: the one way the history changes. Only the holder of the
// lock that every copy of the plug-in takes replaces the file, so no two
// copies ever replace it at once. Each change (a recording, a trim, a purge)
// is one transaction under that lock: the file is read again if another
// copy saved since, the pending records other copies left are laid on it,
// the change is applied, the result saved, and its stamp kept, so this
// copy's own save is not read back. Readers take no lock of the store: a
// save replaces the file in one rename, and only a rewrite in place, which
// they wait for, holds the file's bytes from them.
//
// A copy that cannot have the lock in time, or whose history cannot be read
// or saved now, never touches the history: a recording is left in a pending
// record beside it for the next holder, and a trim or a purge waits in
// memory. The protocol, with what a crash, a power cut or a stall leaves at
// each step, is written once in docs/saving.md.
#pragma once

#include <cstdint>

// Sets where the history lives, beside the library at modulePath, and
// loads it.
void StartHistory(const char *modulePath);

// Takes up what waits, this copy's recordings and the records any copy
// left, where the lock is free: for the menu's opening, so that a deferred
// name is in every copy's menu at its next open, and in the file from then
// on.
void TakeUpWaiting();

// Reads the file again if another copy saved since; for the start of a menu
// run. This copy's recordings that wait for a holder stay on the list.
void RefreshHistory();

// Makes the name the newest entry, dropping older entries for the same file,
// and saves. A name that cannot be one line of the history file (null, empty,
// holding CR or LF) records nothing.
void RecordEditedFile(const char *name);

// Keeps only the newest `keep` entries of the history as the file holds it
// now. When the file cannot be read or saved, the change waits in memory.
void KeepNewest(std::int32_t keep);

// Removes the entries whose files' attributes cannot be queried, from the
// history as the file holds it now. When the file cannot be read or saved,
// the change waits in memory.
void PurgeMissing();
