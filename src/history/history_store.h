// The history store: the one way the history changes. Every change (a
// recording, a trim, a purge) is one transaction under a lock that every copy
// of the plug-in takes: the file is read again if another copy saved since,
// the change is applied to what the file holds now, the result is saved, and
// its stamp kept, so this copy's own save is not read back. Readers take no
// lock: a save replaces the file in one step.
//
// The lock only keeps copies from redoing each other's work. What keeps
// every copy's names is that a save replaces only the file its copy last
// read or wrote; one that finds another there reads it and replays its
// change on it. The protocol, with what a crash, a power cut or a stall
// leaves at each step, is written once in docs/saving.md.
//
// A file that exists and whose contents this copy has not read is never
// replaced. Recordings made meanwhile stay in memory, unsaved, and are
// written, merged with the file, by the first change after it reads again.
#pragma once

#include <cstdint>

// Sets where the history lives, beside the library at modulePath, and
// loads it.
void StartHistory(const char *modulePath);

// Reads the file again if another copy saved since; for the start of a menu
// run. Unsaved recordings stay on the list.
void RefreshHistory();

// Makes the name the newest entry, dropping older entries for the same file,
// and saves. A name that cannot be one line of the history file (null, empty,
// holding CR or LF) records nothing.
void RecordEditedFile(const char *name);

// Keeps only the newest `keep` entries of the history as the file holds it
// now. When the file cannot be read, nothing changes.
void KeepNewest(std::int32_t keep);

// Removes the entries whose files' attributes cannot be queried, from the
// history as the file holds it now. When the file cannot be read, nothing
// changes.
void PurgeMissing();
