// FileReplacement: new contents written beside a file and swapped in, only
// over the file this copy last read or wrote; or, where the folder refuses
// new files, written in place. And sweeping away what crashed saves left.
// The numbered rules are those of docs/saving.md.
#include <algorithm>
#include <cctype>
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {
namespace {

// Distinguishes the temporary files of one process's successive saves.
unsigned long saveCounter = 0;

// Rule 8: a copy's first save under the lock sweeps, as does any after a
// save of its own left a file behind; later ones only when the lock shows
// that its last holder's save never ended.
bool sweepDue = true;

constexpr char kTemporaryMark[] = ".tmp";
// Where target.tmp<process>.<save> would be too long for the system (a deep
// install on Windows), the new file is ~qv<save>.tmp beside the target: a
// name no longer than any history's that the system takes.
constexpr char kShortMark[] = "~qv";
// Room for a save's number in a name.
constexpr std::size_t kNumberRoom = 10;

std::string FolderOf(const std::string &path) {
    const std::size_t slash = path.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Whether the text is one or more decimal digits.
bool AllDigits(const std::string &text, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// Whether the name is target's temporary file: target.tmp<process>.<save>,
// or ~qv<save>.tmp in its folder.
bool IsTemporaryOf(const std::string &name, const std::string &target) {
    const std::size_t start = target.size() + sizeof kTemporaryMark - 1;
    if (name.compare(0, start, target + kTemporaryMark) == 0) {
        const std::size_t dot = name.find('.', start);
        return dot != std::string::npos && AllDigits(name, start, dot) &&
               AllDigits(name, dot + 1, name.size());
    }
    const std::string shortPrefix = FolderOf(target) + kShortMark;
    const std::size_t end = name.size() - (sizeof kTemporaryMark - 1);
    return name.size() > shortPrefix.size() + sizeof kTemporaryMark - 1 &&
           name.compare(0, shortPrefix.size(), shortPrefix) == 0 &&
           name.compare(end, std::string::npos, kTemporaryMark) == 0 &&
           AllDigits(name, shortPrefix.size(), end);
}

}  // namespace

FileReplacement::FileReplacement(const char *path, const FileStamp &expected, FileLock *lock)
    : target_(system::ResolveLinks(path)), expected_(expected), lock_(lock) {
    const system::Found existing = system::Inspect(target_, expected_);
    replacedWriteTime_ = existing.writeTime;
    // Checked here because root, and Wine, would let the replace through.
    if (existing.kind == system::Existing::ReadOnly || existing.kind == system::Existing::NotAFile)
        return;
    // What a sweep could not remove keeps the lock's mark, for the next.
    if (lock_ && lock_->Held() && (sweepDue || lock_->interrupted_ || lock_->Guarded())) {
        leftBehind_ = !RemoveCrashedSaves(target_.c_str());
        sweepDue = leftBehind_;
    }
    if (lock_) lock_->ShowProgress(0);
    const bool missing = existing.kind == system::Existing::Missing;
    replacing_ = !missing;
    permissions_ = existing.permissions;
    accessList_ = existing.accessList;
    OpenBeside();
    // The folder takes no new files: rewriting in place is the only way
    // left, and it exists to keep the history savable there.
    if (unopened_ == Unopened::Refused && !missing) OpenInPlace();
}

FileReplacement::~FileReplacement() {
    Abandon();
    // A file left behind keeps the lock's mark, so the next holder sweeps.
    if (lock_ && !leftBehind_) lock_->SaveOver();
}

// Rule 6: the new file is this user's alone until it is complete.
void FileReplacement::OpenBeside() {
    const std::string prefix = target_ + kTemporaryMark + std::to_string(system::ProcessId()) + ".";
    const bool fits = prefix.size() + kNumberRoom <= system::kLongestPath;
    // Names clash only with files of an earlier process of the same number,
    // or of another copy loaded in this process; a few tries get past them.
    constexpr int kNameTries = 100;
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::string number = std::to_string(++saveCounter);
        std::string name =
            fits ? prefix + number : FolderOf(target_) + kShortMark + number + kTemporaryMark;
        system::File file = system::kNoFile;
        switch (system::CreatePrivate(name, replacing_ ? target_ : std::string(), permissions_,
                                      accessList_, file)) {
        case system::Created::NameTaken: continue;
        case system::Created::Yes:
            handle_ = file;
            temporary_ = std::move(name);
            return;
        case system::Created::Refused: unopened_ = Unopened::Refused; return;
        case system::Created::Failed:
            // No space, no handles: rewriting in place would fail the same
            // way, halfway through the history.
            return;
        }
    }
}

// Rule 11: under a lock on the file's bytes, and only over the file this
// copy last read or wrote, checked by the handle that rewrites it.
void FileReplacement::OpenInPlace() {
    if (fault::Fails(fault::Call::OpenInPlace, target_.c_str())) return;
    const system::File file = system::OpenToRewrite(target_);
    if (file == system::kNoFile) return;
    FileStamp stamp;
    // Another copy may be rewriting it now: the change then waits.
    if (!system::LockForRewrite(file) || !system::StampOpen(file, stamp)) {
        (void)system::Close(file);
        return;
    }
    if (!(stamp == expected_)) {
        unopened_ = Unopened::Stale;
        (void)system::Close(file);
        return;
    }
    // The old bytes are kept so that a failed rewrite can put them back; the
    // handle is taken only once they all are.
    bool read = stamp.size >= 0;
    try {
        if (read) original_.resize(static_cast<std::size_t>(stamp.size));
    } catch (...) {
        (void)system::Close(file);
        throw;
    }
    for (std::size_t done = 0; read && done < original_.size();) {
        const std::int64_t n =
            system::ReadSome(file, original_.data() + done, original_.size() - done);
        read = n > 0;
        if (read) done += static_cast<std::size_t>(n);
    }
    if (!read || !system::Rewind(file)) {
        (void)system::Close(file);
        original_.clear();
        return;
    }
    handle_ = file;
}

bool FileReplacement::Write(const void *bytes, std::size_t size) noexcept {
    if (handle_ == kNoHandle || failed_) return false;
    const char *path = temporary_.empty() ? target_.c_str() : temporary_.c_str();
    if (size > 0 &&
        (fault::Fails(fault::Call::Write, path) || !system::WriteAll(handle_, bytes, size)))
        failed_ = true;
    written_ += size;
    if (lock_) lock_->ShowProgress(written_);
    return !failed_;
}

SaveOutcome FileReplacement::Commit() noexcept {
    if (handle_ == kNoHandle)
        return unopened_ == Unopened::Stale ? SaveOutcome::Stale : SaveOutcome::Failed;
    const SaveOutcome outcome = temporary_.empty() ? CommitInPlace() : CommitBeside();
    if (outcome != SaveOutcome::Saved) Abandon();
    return outcome;
}

// Rules 9 and 10: on disk first, with the replaced file's permissions, and
// then in its place if it is still the file expected there.
SaveOutcome FileReplacement::CommitBeside() noexcept {
    if (failed_ || !Finish()) return SaveOutcome::Failed;
    if (replacing_ && !system::GivePermissions(handle_, permissions_)) return SaveOutcome::Failed;
    const SaveOutcome outcome =
        system::PutInPlace(handle_, temporary_, target_, expected_, leftBehind_);
    if (outcome != SaveOutcome::Saved) return outcome;
    // Held up to here, so no sweep could take the file before it was placed;
    // let go at once, as on Windows no one else can read it while it is held.
    temporary_.clear();
    (void)system::Close(handle_);
    handle_ = kNoHandle;
    system::FlushFolderOf(target_);
    return SaveOutcome::Saved;
}

SaveOutcome FileReplacement::CommitInPlace() noexcept {
    if (failed_ || fault::Fails(fault::Call::Truncate, target_.c_str()) ||
        !system::Truncate(handle_, written_) || !Finish())
        return SaveOutcome::Failed;
    // The new bytes are on disk: a failed close could not undo them.
    original_.clear();
    (void)system::Close(handle_);
    handle_ = kNoHandle;
    return SaveOutcome::Saved;
}

// Dates the new contents, flushes them to disk and takes their stamp.
bool FileReplacement::Finish() noexcept {
    const char *path = temporary_.empty() ? target_.c_str() : temporary_.c_str();
    // Each save's time follows the last one's, even within one tick of the
    // system clock: a copy that kept an older save's stamp (its file number
    // can come back, and so can its size) must see the difference.
    return system::SetWriteTime(handle_, std::max(system::Now(), replacedWriteTime_ + 1)) &&
           !fault::Fails(fault::Call::Flush, path) &&
           (!fault::DiskFlushEnabled() || system::FlushToDisk(handle_)) &&
           system::StampOpen(handle_, stamp_);
}

void FileReplacement::Abandon() noexcept {
    if (handle_ != kNoHandle && temporary_.empty()) {
        // In place: put the old bytes back, and their time, so that the file
        // is as it was to copies that compare stamps too. Not subject to the
        // test hooks, which stand for the failure being recovered from; the
        // old bytes fit where they stood before.
        (void)(system::Rewind(handle_) &&
               system::WriteAll(handle_, original_.data(), original_.size()) &&
               system::Truncate(handle_, original_.size()) &&
               system::SetWriteTime(handle_, replacedWriteTime_) && system::FlushToDisk(handle_));
        original_.clear();
    }
    // Removed only while the name is still the new file's: after a failed
    // exchange it could name another copy's save.
    if (!temporary_.empty() && !system::RemoveOwn(handle_, temporary_)) leftBehind_ = true;
    temporary_.clear();
    if (handle_ != kNoHandle) (void)system::Close(handle_);
    handle_ = kNoHandle;
    // Without the lock there is no mark to leave: this copy sweeps next.
    if (leftBehind_) sweepDue = true;
}

bool CanReplace(const char *path) {
    const std::string target = system::ResolveLinks(path);
    const system::Found existing = system::Inspect(target, FileStamp{});
    if (existing.kind == system::Existing::ReadOnly || existing.kind == system::Existing::NotAFile)
        return false;
    if (system::FolderTakesFiles(target)) return true;
    // As a save does: rewritten in place, where the folder refuses new files.
    if (existing.kind != system::Existing::Writable) return false;
    const system::File file = system::OpenToRewrite(target);
    if (file == system::kNoFile) return false;
    (void)system::Close(file);
    return true;
}

bool RemoveCrashedSaves(const char *path) {
    const std::string target = system::ResolveLinks(path);
    bool all = true;
    for (const std::string &start : {target, FolderOf(target) + kShortMark})
        for (const std::string &sibling : system::Siblings(start))
            if (IsTemporaryOf(sibling, target)) all = system::RemoveIfAbandoned(sibling) && all;
    return all;
}

}  // namespace platform
