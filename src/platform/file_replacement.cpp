// FileReplacement: write new contents beside a file, then swap them in; and
// sweeping away what crashed saves left beside it.
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

constexpr char kTemporaryMark[] = ".tmp";

// Whether the text is one or more decimal digits.
bool AllDigits(const std::string &text, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// Whether the name is target's temporary file: target.tmp<process>.<save>.
bool IsTemporaryOf(const std::string &name, const std::string &target) {
    const std::size_t start = target.size() + sizeof kTemporaryMark - 1;
    if (name.compare(0, start, target + kTemporaryMark) != 0) return false;
    const std::size_t dot = name.find('.', start);
    return dot != std::string::npos && AllDigits(name, start, dot) &&
           AllDigits(name, dot + 1, name.size());
}

}  // namespace

FileReplacement::FileReplacement(const char *path, FileLock *lock)
    : target_(system::ResolveLinks(path)) {
    Open(lock);
}

FileReplacement::~FileReplacement() { Abandon(); }

void FileReplacement::Open(FileLock *lock) {
    const system::Found existing = system::Inspect(target_);
    replacedWriteTime_ = existing.writeTime;
    // Checked here because root, and Wine, would let the replace through.
    if (existing.kind == system::Existing::ReadOnly || existing.kind == system::Existing::NotAFile)
        return;
    const bool carried = lock && lock->carries_ && lock->path_ == target_ + system::kLockMark;
    switch (carried ? Carry(*lock, existing) : CreateTemporary(existing)) {
    case system::Created::Yes:
    case system::Created::NameTaken: return;
    case system::Created::Refused:
        // The folder takes no new files: rewriting in place is the only way
        // left, and it exists to keep the history savable there.
        if (existing.kind == system::Existing::Writable) OpenInPlace();
        return;
    case system::Created::Failed:
        // No space, no handles: rewriting in place would fail the same way,
        // halfway through the history.
        return;
    }
}

system::Created FileReplacement::CreateTemporary(const system::Found &replaced) {
    const std::string prefix = target_ + kTemporaryMark + std::to_string(system::ProcessId()) + ".";
    // Names clash only with files of an earlier process of the same number,
    // or of another copy loaded in this process; a few tries get past them.
    constexpr int kNameTries = 100;
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        std::string name = prefix + std::to_string(++saveCounter);
        system::File file = system::kNoFile;
        const system::Created created = system::CreateExclusive(name, replaced, file);
        if (created == system::Created::NameTaken) continue;
        if (created == system::Created::Yes) {
            handle_ = file;
            temporary_ = std::move(name);
        }
        return created;
    }
    return system::Created::NameTaken;
}

system::Created FileReplacement::Carry(FileLock &lock, const system::Found &replaced) {
    // Once only: a save that fails leaves its bytes in the lock file.
    lock.carries_ = false;
    const system::Created created = system::TakeLockFile(lock.handle_, replaced);
    if (created == system::Created::Yes) {
        handle_ = lock.handle_;
        temporary_ = lock.path_;
        carrier_ = &lock;
    }
    return created;
}

void FileReplacement::OpenInPlace() {
    if (fault::Fails(fault::Call::OpenInPlace)) return;
    const system::File file = system::OpenToRewrite(target_);
    if (file == system::kNoFile) return;
    // The old bytes are kept so that a failed rewrite can put them back; the
    // handle is taken only once they all are.
    FileStamp stamp;
    bool read = system::StampOpen(file, stamp) && stamp.size >= 0;
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
    if (size > 0 && (fault::Fails(fault::Call::Write) || !system::WriteAll(handle_, bytes, size)))
        failed_ = true;
    written_ += size;
    return !failed_;
}

bool FileReplacement::CloseHandle() noexcept {
    const bool closed = system::Close(handle_);
    handle_ = kNoHandle;
    return closed && !fault::Fails(fault::Call::Close);
}

bool FileReplacement::Commit() noexcept {
    if (handle_ == kNoHandle) return false;
    const bool inPlace = temporary_.empty();
    if (!failed_ && inPlace)
        failed_ = fault::Fails(fault::Call::Truncate) || !system::Truncate(handle_, written_);
    // Each save's time follows the last one's, even within one tick of the
    // system clock: a copy that kept an older save's stamp (its file number
    // can come back, and so can its size) must see the difference.
    if (!failed_)
        failed_ = !system::SetWriteTime(handle_, std::max(system::Now(), replacedWriteTime_ + 1));
    if (!failed_ && fault::DiskFlushEnabled())
        failed_ = fault::Fails(fault::Call::Flush) || !system::FlushToDisk(handle_);
    if (!failed_) failed_ = !system::StampOpen(handle_, stamp_);
    if (failed_) {
        Abandon();
        return false;
    }
    if (inPlace) {
        // The new bytes are on disk: a failed close could not undo them.
        original_.clear();
        (void)CloseHandle();
        return true;
    }
    // The lock's file stays open until the lock is let go: it holds the lock.
    if (!(carrier_ || CloseHandle()) || fault::Fails(fault::Call::Replace) ||
        !system::Replace(temporary_, target_)) {
        Abandon();
        return false;
    }
    if (carrier_) {
        carrier_->placed_ = true;
        carrier_ = nullptr;
        handle_ = kNoHandle;
    }
    temporary_.clear();
    if (fault::DiskFlushEnabled()) system::FlushFolderOf(target_);
    return true;
}

void FileReplacement::Abandon() noexcept {
    if (carrier_) {
        // The lock file is the lock's, to remove as it lets go.
        carrier_ = nullptr;
        handle_ = kNoHandle;
        temporary_.clear();
        return;
    }
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
    if (handle_ != kNoHandle) (void)CloseHandle();
    if (!temporary_.empty()) system::Remove(temporary_);
    temporary_.clear();
}

bool CanReplace(const char *path) {
    const std::string target = system::ResolveLinks(path);
    const system::Found existing = system::Inspect(target);
    if (existing.kind == system::Existing::ReadOnly || existing.kind == system::Existing::NotAFile)
        return false;
    if (system::FolderTakesFiles(target)) return true;
    // As Open does: rewritten in place, where the folder refuses new files.
    if (existing.kind != system::Existing::Writable) return false;
    const system::File file = system::OpenToRewrite(target);
    if (file == system::kNoFile) return false;
    (void)system::Close(file);
    return true;
}

void RemoveCrashedSaves(const char *path) {
    const std::string target = system::ResolveLinks(path);
    for (const std::string &sibling : system::Siblings(target))
        if (IsTemporaryOf(sibling, target)) system::RemoveIfAbandoned(sibling);
}

}  // namespace platform
