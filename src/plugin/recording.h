// Recording the files the host's editor opens, and the reload and save that
// keep this copy's recordings until they are written.
#pragma once

// Makes the name the newest history entry, dropping older entries for the
// same file, and saves. A name that cannot be one line of the history file
// (null, empty, holding CR or LF) records nothing.
void RecordEditedFile(const char *name);

// Reads the history file again if another save changed it; recordings not
// yet saved are laid on the list read, in their order.
void ReloadKeepingUnsaved();

// Saves the history; once saved, the recordings are in the file.
void SaveHistoryChanges();
