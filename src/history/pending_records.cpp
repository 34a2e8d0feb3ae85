// Pending records: written by a copy that cannot save, taken up by the
// holder of the lock.
#include "history/pending_records.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "history/history_file.h"
#include "text/cursor_list.h"

namespace {

constexpr char kMark[] = ".pending";
constexpr char kPrefix[] = ".pending.";
// The record's number: the time, the process and a count, 32 hex digits in
// all, so that names sort in the order the records were made, and no two
// are alike.
constexpr std::size_t kNumberDigits = 32;
unsigned long recordCounter = 0;

// A record is one name, a line of a few hundred bytes: anything much larger
// with a record's name is not one, and is left where it is.
constexpr std::int64_t kLargestRecord = 64 * 1024;

// The value's lowest `digits` hex digits, appended.
void AppendHex(std::string &to, std::uint64_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        to += "0123456789abcdef"[(value >> shift) & 15];
}

std::string RecordNumber() {
    std::string number;
    AppendHex(number, static_cast<std::uint64_t>(platform::Now()), 16);
    AppendHex(number, platform::ProcessId(), 8);
    AppendHex(number, ++recordCounter, 8);
    return number;
}

bool IsRecord(const std::string &path, std::size_t prefixLength) {
    return path.size() == prefixLength + kNumberDigits &&
           std::all_of(path.begin() + static_cast<std::ptrdiff_t>(prefixLength), path.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

std::string WritePendingRecord(const char *history, const platform::FileLook &historyLook,
                               const std::string &name) {
    const std::string path = std::string(history) + kPrefix + RecordNumber();
    // Made as a first creation: only where no file has the name yet, and
    // given the history's permissions once complete (rule 6).
    platform::FileLook none;
    if (historyLook.presence == platform::Presence::Present)
        none.permissions = historyLook.permissions;
    CursorList record;
    record.Append(DynString(name.c_str()));
    platform::FileStamp ignored;
    if (SaveHistoryFile(record, path.c_str(), none, ignored) != platform::SaveOutcome::Saved)
        return {};
    // Unmarked, the record still reaches the history: its own copy takes it
    // up at its next holding, and any copy at its first.
    MarkRecordsWaiting(history);
    return path;
}

TakenRecords RecordsToTakeUp(const char *history, const std::vector<PendingRecord> &own,
                             bool everyone) {
    const std::string mark = std::string(history) + kMark;
    const std::string prefix = std::string(history) + kPrefix;
    std::vector<std::string> paths;
    TakenRecords taken;
    const bool marked = platform::LookAt(mark.c_str()).presence != platform::Presence::Missing;
    if (marked || everyone) {
        // Removed before the listing: a record made after it marks again.
        taken.unmarked = marked && platform::RemoveFile(mark.c_str());
        for (std::string &path : platform::FilesStartingWith(history, kPrefix))
            if (IsRecord(path, prefix.size()) && platform::MayRemove(path.c_str()))
                paths.push_back(std::move(path));
    }
    for (const PendingRecord &record : own)
        if (!record.path.empty()) paths.push_back(record.path);  // empty: held in memory alone
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());

    std::vector<PendingRecord> &records = taken.records;
    for (const std::string &path : paths) {
        const platform::FileLook look = platform::LookAt(path.c_str());
        if (look.presence != platform::Presence::Present || look.stamp.size > kLargestRecord)
            continue;
        CursorList names;
        platform::FileLook read;
        if (LoadHistoryFile(names, path.c_str(), read) != LoadResult::Loaded) continue;
        for (const ListNode *node = names.first; node; node = node->next)
            records.push_back({path, std::string(node->text.buf ? node->text.buf : "")});
        if (!names.first) records.push_back({path, std::string()});
    }
    return taken;
}

void MarkRecordsWaiting(const char *history) {
    (void)platform::PutMark((std::string(history) + kMark).c_str());
}

bool StillPending(const PendingRecord &record) {
    return platform::LookAt(record.path.c_str()).presence != platform::Presence::Missing;
}
