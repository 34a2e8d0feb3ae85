// The history store: each change under the lock shared by every copy, on the
// file's current contents, and this copy's recordings until they are saved.
#include "history/history_store.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "history/file_names.h"
#include "history/history.h"
#include "platform/platform.h"

namespace {

// Names this copy recorded since its last successful save, oldest first. A
// save can fail, or be withheld while the file cannot be read; these must
// then survive the next reload, which would otherwise drop them.
CursorList UnsavedRecordings;

bool FitsOneLine(const char *name) { return name && *name && !std::strpbrk(name, "\r\n"); }

std::string_view View(const DynString &text) {
    return text.buf ? std::string_view(text.buf, static_cast<std::size_t>(text.len))
                    : std::string_view();
}

// Removes every entry but the last that is the same file as the last.
void RemoveOlderEntries(CursorList &list) noexcept {
    const DynString &newest = list.last->text;
    list.RemoveIf(
        [&](const DynString &entry) { return &entry != &newest && SameFile(entry, newest); });
}

// Appends first and removes after: the append is the only step that can
// run out of memory, and it leaves the list as it was.
void Record(CursorList &list, const DynString &name) {
    list.Append(name);
    RemoveOlderEntries(list);
}

// Lays the unsaved recordings, in their order, on the list just read.
void ReplayUnsaved() {
    try {
        for (const ListNode *node = UnsavedRecordings.first; node; node = node->next)
            Record(HistoryList, node->text);
    } catch (...) {
        // Half replayed: forget the stamp, so that the next check reads the
        // file and replays them all again.
        HistoryStamp = {};
        throw;
    }
}

// Brings HistoryList up to the file. False when the file holds what this
// copy could not read.
bool CatchUp() {
    const FileState state = ReloadIfChanged();
    if (state == FileState::Reloaded) ReplayUnsaved();
    return state != FileState::Unread;
}

// Rule 1 of docs/saving.md: a save that finds another writer came in
// between reads its file, replays the change and tries again; after this
// many tries the change waits in memory.
constexpr int kSaveTries = 4;

using SaveStep = platform::SaveOutcome (*)(platform::FileLock *);

// Saves the list; once saved, the recordings are in the file.
platform::SaveOutcome Save(platform::FileLock &lock, SaveStep step = SaveHistory) {
    const platform::SaveOutcome outcome = step(&lock);
    if (outcome == platform::SaveOutcome::Saved) UnsavedRecordings.Clear();
    return outcome;
}

// A trim or a purge: under the lock, on the list the file holds now, then
// saved; redone on the file of a writer that came in between. Unsaved
// recordings that the change removed are not laid back.
template <class Change>
void ChangeUnderLock(Change change) {
    HistoryPath.Reserve(0);
    platform::FileLock lock(HistoryPath.buf);
    for (int round = 0; round < kSaveTries; ++round) {
        if (!CatchUp()) return;
        change();
        UnsavedRecordings.RemoveIf([](const DynString &name) {
            for (const ListNode *node = HistoryList.first; node; node = node->next)
                if (View(node->text) == View(name)) return false;
            return true;
        });
        if (Save(lock) != platform::SaveOutcome::Stale) return;
    }
}

}  // namespace

void StartHistory(const char *modulePath) {
    SetHistoryPath(modulePath);
    // A missing file is an empty history; one that cannot be read leaves it
    // empty too, and unread, so that no save replaces it.
    (void)LoadHistory();
}

void RefreshHistory() { (void)CatchUp(); }

void RecordEditedFile(const char *name) {
    if (!FitsOneLine(name)) return;
    const DynString stored = StoredName(name);
    HistoryPath.Reserve(0);
    platform::FileLock lock(HistoryPath.buf);
    bool current = CatchUp();
    HistoryList.Append(stored);
    try {
        UnsavedRecordings.Append(stored);
    } catch (...) {
        HistoryList.Seek(-1).RemoveCurrent();
        throw;
    }
    RemoveOlderEntries(UnsavedRecordings);
    // A file this copy could not read is not replaced: the recording waits.
    // The save drops the older entries as it writes: a long history is
    // walked once. Where it did not get to, they go now.
    auto outcome = platform::SaveOutcome::Failed;
    try {
        for (int round = 0; current && round < kSaveTries; ++round) {
            // Another writer saved in between: its file is read, and the
            // unsaved recordings, this one among them, laid on it again.
            if (round > 0) current = CatchUp();
            if (current) outcome = Save(lock, SaveRecordedHistory);
            if (outcome != platform::SaveOutcome::Stale) break;
        }
    } catch (...) {
        RemoveOlderEntries(HistoryList);
        throw;
    }
    if (outcome != platform::SaveOutcome::Saved) RemoveOlderEntries(HistoryList);
}

void KeepNewest(std::int32_t keep) {
    ChangeUnderLock([keep] {
        while (HistoryList.count > keep) HistoryList.Seek(0).RemoveCurrent();
    });
}

void PurgeMissing() {
    // Looked up before the lock is taken: on a slow or absent drive that can
    // take long, and other copies must not wait for it.
    std::vector<std::string> gone;
    for (const ListNode *node = HistoryList.first; node; node = node->next) {
        const DynString &entry = node->text;
        if (!platform::FileAttributesQueryable(entry.buf ? entry.buf : ""))
            gone.push_back(FileKey(View(entry)));
    }
    std::sort(gone.begin(), gone.end());
    // An entry goes when its file was missing then and still is: another
    // copy may have recorded it since, in any spelling, because it exists
    // again.
    ChangeUnderLock([&gone] {
        HistoryList.RemoveIf([&gone](const DynString &entry) {
            return std::binary_search(gone.begin(), gone.end(), FileKey(View(entry))) &&
                   !platform::FileAttributesQueryable(entry.buf ? entry.buf : "");
        });
    });
}
