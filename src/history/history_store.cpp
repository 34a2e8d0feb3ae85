// The history store: each change made by the one holder of the lock that
// every copy takes, on the file's current contents, with what other copies
// left for it; and this copy's recordings that wait for a holder.
#include "history/history_store.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "history/file_names.h"
#include "history/history.h"
#include "history/pending_records.h"
#include "platform/platform.h"

namespace {

// This copy's recordings that wait for a holder, oldest first: in pending
// records on disk, or, where none could be written (path empty), in memory
// only. Laid on the list after each reload, so that this copy's menu shows
// them.
std::vector<PendingRecord> Waiting;

// A copy's first holding lists the folder for records whatever the mark
// says, and sweeps what crashed saves left (rules 4 and 10): a power cut may
// have taken a mark, and a crash leaves none.
bool firstHolding = true;

// A change made on the file as a look found it: twice, so that one whose
// save found another writer's file in place (rule 5) reads that file and is
// made again on it. A change first tried on the file as last seen, with no
// look, has these two rounds after that try.
constexpr int kRounds = 2;

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

// Lays the waiting recordings, in their order, on the list just read.
void ReplayWaiting() {
    try {
        for (const PendingRecord &waiting : Waiting)
            Record(HistoryList, DynString(waiting.name.c_str()));
    } catch (...) {
        // Half replayed: forget the stamp, so that the next check reads the
        // file and replays them all again.
        HistoryStamp = {};
        throw;
    }
}

// A change to make, by reference: the transaction below is made once for
// every kind of change, not once for each.
class ChangeRef {
public:
    template <class Change>
    explicit ChangeRef(const Change &change)
        : change_(&change), apply_([](const void *c) { (*static_cast<const Change *>(c))(); }) {}
    void operator()() const { apply_(change_); }

private:
    const void *change_;
    void (*apply_)(const void *);
};

// What a change by the holder is: a recording's save drops the recorded
// file's older entries as it writes; a take-up lays only what waits.
enum class ChangeKind { Recording, TrimOrPurge, TakeUp };

// One change by the holder of the lock: the history read again if another
// copy saved (with this copy's waiting recordings laid on it, as always
// after a read), the pending records laid on it in the order they were
// made, then this copy's recordings that only memory holds, then the
// change; and saved. The records are removed once the save that holds their
// names is on disk (rule 4). `look` ends as the file's last look. Failed
// and Stale pass; Refused lasts (rule 2).
platform::SaveOutcome ChangeAsHolder(ChangeRef apply, ChangeKind kind, platform::FileLook &look) {
    HistoryFile.Reserve(0);
    const bool first = std::exchange(firstHolding, false);
    if (first) (void)platform::RemoveCrashedSaves(HistoryFile.buf);
    const TakenRecords taken = RecordsToTakeUp(HistoryFile.buf, Waiting, first);
    // Another holder took these up: the history holds their names, or a
    // later trim or purge removed them. Laid again, they would undo it.
    std::erase_if(Waiting, [&taken](const PendingRecord &waiting) {
        return std::find(taken.gone.begin(), taken.gone.end(), waiting.path) != taken.gone.end();
    });
    const bool inMemory =
        std::any_of(Waiting.begin(), Waiting.end(),
                    [](const PendingRecord &waiting) { return waiting.path.empty(); });
    if (kind == ChangeKind::TakeUp && taken.records.empty() && !inMemory)
        return platform::SaveOutcome::Saved;  // nothing waits
    // One attempt on the list as `state` leaves it.
    bool saveFailed = false;  // the last attempt's save failed
    const auto attempt = [&](FileState state) {
        if (state == FileState::Reloaded) ReplayWaiting();
        // Never over what this copy cannot read (rule 5), nor over a file
        // another program holds or is writing now (rule 7).
        if (state == FileState::Unread) return platform::SaveOutcome::Refused;
        if (state == FileState::Busy || WrittenNow(look)) return platform::SaveOutcome::Failed;
        for (const PendingRecord &record : taken.records)
            Record(HistoryList, DynString(record.name.c_str()));
        for (const PendingRecord &waiting : Waiting)
            if (waiting.path.empty()) Record(HistoryList, DynString(waiting.name.c_str()));
        apply();
        const auto saved =
            kind == ChangeKind::Recording
                ? SaveRecordedHistory(look)
                : SaveHistory(look, kind == ChangeKind::TrimOrPurge ? platform::Patience::Long
                                                                    : platform::Patience::Brief);
        saveFailed = saved == platform::SaveOutcome::Failed;
        return saved;
    };
    auto outcome = platform::SaveOutcome::Failed;
    try {
        // From the file as last seen, with no look of its own: the save's
        // last look tells whether it is still there. If that does not save,
        // the change is made as though it had looked; and so is one with
        // records to lay, which would stay laid on a list whose file then
        // could not be read. But a save that failed over the file it meant
        // to replace (a full disk, a program holding it) is not made again
        // while that same file is there: it would fail again, and the user
        // wait twice.
        const bool onlyTheChange = taken.records.empty() && !inMemory;
        if (onlyTheChange && LastSeen(look)) outcome = attempt(FileState::Current);
        for (int round = 0; round < kRounds && outcome != platform::SaveOutcome::Saved; ++round) {
            const FileState state = ReloadIfChanged(look);
            if (saveFailed && state == FileState::Current &&
                look.presence == platform::Presence::Present)
                break;
            if ((outcome = attempt(state)) != platform::SaveOutcome::Stale) break;
        }
    } catch (...) {
        // Half laid: the next change reads the file again.
        HistoryStamp = {};
        if (taken.unmarked) MarkRecordsWaiting(HistoryFile.buf);
        throw;
    }
    if (outcome != platform::SaveOutcome::Saved) {
        if (taken.unmarked) MarkRecordsWaiting(HistoryFile.buf);
        return outcome;
    }
    for (const PendingRecord &record : taken.records)
        (void)platform::RemoveFile(record.path.c_str());
    std::erase_if(Waiting, [&taken](const PendingRecord &waiting) {
        return waiting.path.empty() || std::any_of(taken.records.begin(), taken.records.end(),
                                                   [&](const PendingRecord &record) {
                                                       return record.path == waiting.path;
                                                   });
    });
    // What still waits (a record that could not be read) stays in sight.
    ReplayWaiting();
    return outcome;
}

// A trim or a purge: made by the holder, or, without the lock, waiting in
// memory as the menu shows it, to be saved by the next change that finds
// the file as it was (rule 2). Recordings that only memory holds and that
// the change removed are not laid back.
template <class Change>
void ChangeOrWait(Change change) {
    HistoryFile.Reserve(0);
    // The user asked for it and waits for the menu: a longer wait than a
    // recording's.
    const platform::HistoryLock lock(HistoryFile.buf, LibraryPath.buf, platform::Patience::Long);
    platform::FileLook look;
    if (lock.Held() && ChangeAsHolder(ChangeRef(change), ChangeKind::TrimOrPurge, look) ==
                           platform::SaveOutcome::Saved)
        return;
    change();  // again where it was made: it comes to the same
    std::erase_if(Waiting, [](const PendingRecord &waiting) {
        if (!waiting.path.empty()) return false;
        for (const ListNode *node = HistoryList.first; node; node = node->next)
            if (View(node->text) == waiting.name) return false;
        return true;
    });
}

}  // namespace

void StartHistory(const char *modulePath) {
    SetHistoryPath(modulePath);
    // A missing file is an empty history; one that cannot be read leaves it
    // empty too, and unread, so that no save replaces it.
    platform::FileLook look;
    (void)LoadHistory(look);
}

void TakeUpWaiting() {
    FindHistoryFile();
    if (Waiting.empty() && !RecordsMarked(HistoryFile.buf)) return;
    const platform::HistoryLock lock(HistoryFile.buf, LibraryPath.buf, platform::Patience::Brief);
    platform::FileLook look;
    const auto nothing = [] {};
    if (lock.Held()) (void)ChangeAsHolder(ChangeRef(nothing), ChangeKind::TakeUp, look);
}

void RefreshHistory() {
    FindHistoryFile();
    // Taken up by a holder: the history holds them now.
    std::erase_if(Waiting, [](const PendingRecord &waiting) {
        return !waiting.path.empty() && !StillPending(waiting);
    });
    platform::FileLook look;
    if (ReloadIfChanged(look) == FileState::Reloaded) ReplayWaiting();
}

void RecordEditedFile(const char *name) {
    if (!FitsOneLine(name)) return;
    const DynString stored = StoredName(name);
    HistoryFile.Reserve(0);
    const platform::HistoryLock lock(HistoryFile.buf, LibraryPath.buf, platform::Patience::Brief);
    platform::FileLook look;
    auto outcome = lock.Unusable() ? platform::SaveOutcome::Refused : platform::SaveOutcome::Failed;
    // The save drops the older entries as it writes: a long history is
    // walked once. Where it did not get to, they go below.
    try {
        const auto append = [&] { HistoryList.Append(stored); };
        if (lock.Held() && (outcome = ChangeAsHolder(ChangeRef(append), ChangeKind::Recording,
                                                     look)) == platform::SaveOutcome::Saved)
            return;
    } catch (...) {
        if (HistoryList.last) RemoveOlderEntries(HistoryList);
        throw;
    }
    // Rule 2: the name waits, and this copy's menu shows it meanwhile: for a
    // holder, in a record, where the cause passes; in memory alone where it
    // lasts (a history read-only, unreadable or not a file), so that no
    // files pile up beside it.
    Record(HistoryList, stored);
    if (!lock.Held()) look = platform::LookAt(HistoryFile.buf);
    const std::string kept = stored.buf;
    const bool passing = outcome != platform::SaveOutcome::Refused && look.Replaceable();
    Waiting.push_back(
        {passing ? WritePendingRecord(HistoryFile.buf, look, kept) : std::string(), kept});
}

void KeepNewest(std::int32_t keep) {
    ChangeOrWait([keep] {
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
    ChangeOrWait([&gone] {
        HistoryList.RemoveIf([&gone](const DynString &entry) {
            return std::binary_search(gone.begin(), gone.end(), FileKey(View(entry))) &&
                   !platform::FileAttributesQueryable(entry.buf ? entry.buf : "");
        });
    });
}
