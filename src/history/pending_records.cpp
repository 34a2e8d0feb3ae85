// Pending records: written by a copy that cannot save, taken up by the
// holder of the lock.
#include "history/pending_records.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

#include "history/history_file.h"
#include "text/cursor_list.h"

namespace {

constexpr char kMark[] = ".pending";
constexpr char kPrefix[] = ".pending.";
// What a file under a record's name that is no record becomes.
constexpr char kAside[] = ".not-a-record";
// The record's number: the time, the process and a count, 32 hex digits in
// all, so that names sort in the order the records were made (to the
// clock's tick, then by process), and no two are alike.
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

// The name a record holds: its one line, as a recording writes it. False
// for anything else.
bool OneName(const std::string &bytes, std::string &name) {
    const std::size_t end = bytes.size() - std::min<std::size_t>(bytes.size(), 2);
    if (end == 0 || bytes.compare(end, std::string::npos, "\r\n") != 0 ||
        bytes.find_first_of(std::string_view("\r\n\0", 3)) != end)
        return false;
    name.assign(bytes, 0, end);
    return true;
}

}  // namespace

std::string WritePendingRecord(const char *history, const platform::FileLook &historyLook,
                               const std::string &name) {
    const std::string path = std::string(history) + kPrefix + RecordNumber();
    // Made as a first creation: only where no file has the name yet, and
    // given the history's permissions once complete (rule 6), and always
    // its own user's to read and take up.
    platform::FileLook none;
    if (historyLook.presence == platform::Presence::Present)
        none.permissions = platform::WithOwnerAccess(historyLook.permissions);
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
    const bool marked = RecordsMarked(history);
    if (marked || everyone) {
        // Removed before the listing: a record made after it marks again.
        taken.unmarked = marked && platform::RemoveFile(mark.c_str());
        for (std::string &path : platform::FilesStartingWith(history, kPrefix))
            if (IsRecord(path, prefix.size()) && platform::MayRemove(path.c_str()))
                paths.push_back(std::move(path));
    }
    // Others' records may be the history's owner's: looked up only then.
    std::uint32_t owner = 0;
    if (!paths.empty()) {
        const platform::FileLook look = platform::LookAt(history);
        owner = look.presence == platform::Presence::Present ? look.owner : 0;
    }
    for (const PendingRecord &record : own)
        if (!record.path.empty()) paths.push_back(record.path);  // empty: held in memory alone
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());

    std::string bytes, name;
    for (const std::string &path : paths) {
        switch (platform::ReadRecordFile(path.c_str(), owner, kLargestRecord, bytes)) {
        case platform::RecordRead::Read:
            if (OneName(bytes, name)) {
                taken.records.push_back({path, name});
                break;
            }
            [[fallthrough]];
        case platform::RecordRead::NotOne:
            (void)platform::MoveAside(path.c_str(), (path + kAside).c_str());
            break;
        case platform::RecordRead::Gone: taken.gone.push_back(path); break;
        case platform::RecordRead::Foreign:
        case platform::RecordRead::Failed: break;  // another's, or later
        }
    }
    return taken;
}

void MarkRecordsWaiting(const char *history) {
    (void)platform::PutMark((std::string(history) + kMark).c_str());
}

bool StillPending(const PendingRecord &record) {
    return platform::LookAt(record.path.c_str()).presence != platform::Presence::Missing;
}

bool RecordsMarked(const char *history) {
    return platform::LookAt((std::string(history) + kMark).c_str()).presence !=
           platform::Presence::Missing;
}
