// Pending records: recordings that could not be saved into the history for
// a passing cause (the lock was not had in time; the history was held or
// being written by another program; its save failed for a reason that
// passes), kept on disk beside it for the next holder of the lock to take
// up (rules 2 to 4 of docs/saving.md). A lasting cause (a read-only history,
// one this user may not read, a folder at its path) leaves no record: the
// name waits in the copy's memory, and no files pile up beside the history.
//
// A record is a file named after the history, ".pending.", and a number
// that grows with the time it was made (to the clock's tick, then by
// process), so that its name orders it; it holds one name as a history
// holds it, one line. It is made as a save makes a new history: private
// while written, on disk, then named. An empty file, the mark, then tells
// holders that records wait, so that finding out costs them one look and no
// listing while there are none.
//
// Only a regular file of one line, read without following a link, and on
// POSIX owned by this user or by the history's owner, is a record. Anything
// else under a record's name is never read: the listing passes links,
// folders and devices over by itself, and a file that is not one line is
// moved aside, so that no later holding looks at it again.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

struct PendingRecord {
    std::string path;
    std::string name;
};

// Writes a record of the name beside the history, with the permissions the
// history's look found, and marks it. Empty when none could be written: the
// name then waits in memory.
[[nodiscard]] std::string WritePendingRecord(const char *history,
                                             const platform::FileLook &historyLook,
                                             const std::string &name);

// The records a holder takes up: when the mark is there or `everyone` is
// asked for, every record beside the history that this user may remove
// (the mark is removed first, so that a record made meanwhile marks again);
// otherwise only those of `own` still there. In the order they were made,
// each with its name; a record that cannot be read now is left for later.
struct TakenRecords {
    std::vector<PendingRecord> records;
    std::vector<std::string> gone;  // of `own`, no longer there: taken up by another holder
    bool unmarked = false;          // the mark was removed: put it back if the save fails
};
[[nodiscard]] TakenRecords RecordsToTakeUp(const char *history,
                                           const std::vector<PendingRecord> &own, bool everyone);
// Makes the mark that tells a holder records wait: after a record is
// written, and again for records a holder took up and could not save.
void MarkRecordsWaiting(const char *history);

// Whether the record is still on disk: no holder has taken it up yet.
[[nodiscard]] bool StillPending(const PendingRecord &record);
// Whether the mark says that records wait.
[[nodiscard]] bool RecordsMarked(const char *history);
