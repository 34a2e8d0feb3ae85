// FileReplacement: new contents written beside a file and renamed into its
// place, only over the file the look found; or, where the folder refuses new
// files, written in place. And sweeping away what crashed saves left. The
// numbered rules are those of docs/saving.md.
#include <algorithm>
#include <cassert>
#include <cctype>
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {
namespace {

// Distinguishes the new files of one process's successive saves.
unsigned long saveCounter = 0;

constexpr char kTemporaryMark[] = ".tmp";
// Where target.tmp<process>.<save> would be too long for the system (a deep
// install on Windows), the new file is ~qv<save>.tmp beside the target: a
// name no longer than any history's that the system takes.
constexpr char kShortMark[] = "~qv";
// Room for a save's number in a name.
constexpr std::size_t kNumberRoom = 10;

// Another program that holds the file for a moment (a scanner after each
// close, a sync client during its upload) refuses the rename on Windows:
// tried again, each time after a new last look, ten times. A recording,
// which the user waits on, pauses 10 ms each time (about 100 ms in all);
// a trim or a purge backs off as SQLite does for the same refusal, 25 ms
// more each time (about 1.4 s in all).
constexpr int kRenameTries = 10;
std::uint32_t RenamePause(Patience patience, int attempt) {
    return patience == Patience::Brief ? 10 : 25 * static_cast<std::uint32_t>(attempt + 1);
}

// Whether the text is one or more decimal digits.
bool AllDigits(const std::string &text, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// Whether the name is the new file of a save of the target or of a file
// named after it (a pending record): <name>.tmp<process>.<save>, or
// ~qv<save>.tmp in its folder.
bool IsTemporaryOf(const std::string &name, const std::string &target) {
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (mark != std::string::npos && mark >= target.size()) {
        const std::size_t start = mark + sizeof kTemporaryMark - 1;
        const std::size_t dot = name.find('.', start);
        if (dot != std::string::npos && AllDigits(name, start, dot) &&
            AllDigits(name, dot + 1, name.size()))
            return true;
    }
    const std::string shortPrefix = system::FolderOf(target) + kShortMark;
    const std::size_t end = name.size() - (sizeof kTemporaryMark - 1);
    return name.size() > shortPrefix.size() + sizeof kTemporaryMark - 1 &&
           name.compare(0, shortPrefix.size(), shortPrefix) == 0 &&
           name.compare(end, std::string::npos, kTemporaryMark) == 0 &&
           AllDigits(name, shortPrefix.size(), end);
}

// Rule 7: the step between two saves' write times. Where the file system
// keeps whole seconds (the change time shows it, as no program can set it)
// a finer step would be dropped: two seconds then, which FAT keeps too. A
// first creation has no file to tell, and takes that step too: its write
// time must never be its change time.
std::int64_t TimeStep(const FileLook &replaced) {
    const bool coarse = replaced.presence != Presence::Present ||
                        replaced.stamp.changeTime % system::kTicksPerSecond == 0;
    return coarse ? 2 * system::kTicksPerSecond : 1;
}

}  // namespace

FileReplacement::FileReplacement(const char *path, const FileLook &replaced, AccessList *access,
                                 Patience patience)
    : target_(path), replaced_(replaced), access_(access), patience_(patience) {
    // Checked here because root, and Wine, would let the rename through.
    if (!replaced_.Replaceable()) {
        unopened_ = Unopened::Refused;
        return;
    }
    if (replaced_.presence == Presence::Present) {
        // Rule 6: the list this copy gave its own last save needs no reading.
        if (access_ && access_->of_ == replaced_.stamp)
            given_ = access_->descriptor_;
        else if (!system::ReadAccessList(target_, given_))
            return;
    }
    OpenBeside();
    // The folder takes no new files: rewriting in place is the only way
    // left, and it exists to keep the history savable there.
    if (unopened_ == Unopened::Refused && replaced_.presence == Presence::Present) OpenInPlace();
}

FileReplacement::~FileReplacement() { Abandon(); }

// Rule 6: the new file is this user's alone until it is complete.
void FileReplacement::OpenBeside() {
    const std::string prefix = target_ + kTemporaryMark + std::to_string(ProcessId()) + ".";
    const bool fits = prefix.size() + kNumberRoom <= system::kLongestPath;
    // Names clash only with files of an earlier process of the same number,
    // or of another copy loaded in this process; a few tries get past them.
    constexpr int kNameTries = 100;
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::string number = std::to_string(++saveCounter);
        std::string name = fits ? prefix + number
                                : system::FolderOf(target_) + kShortMark + number + kTemporaryMark;
        system::File file = system::kNoFile;
        switch (system::CreatePrivate(name, replaced_.permissions, given_, file)) {
        case system::Created::NameTaken: continue;
        case system::Created::Yes:
            handle_ = file;
            temporary_ = std::move(name);
            state_ = State::Beside;
            return;
        case system::Created::Refused: unopened_ = Unopened::Refused; return;
        case system::Created::Failed:
            // No space, no handles: rewriting in place would fail the same
            // way, halfway through the history.
            return;
        }
    }
}

// Rule 9: under a lock on the file's bytes, and only over the file the look
// found, checked by the handle that rewrites it.
void FileReplacement::OpenInPlace() {
    // Refused stands where the file cannot be opened to write at all; any
    // other failure passes.
    if (fault::Fails(fault::Call::OpenInPlace, target_.c_str())) {
        unopened_ = Unopened::Failed;
        return;
    }
    const system::File file = system::OpenToRewrite(target_);
    if (file == system::kNoFile) return;
    unopened_ = Unopened::Failed;
    FileStamp stamp;
    // A reader holds it now: the change waits.
    if (!system::LockForRewrite(file) || !system::StampOpen(file, target_, -1, stamp)) {
        (void)system::Close(file);
        return;
    }
    if (!(stamp == replaced_.stamp)) {
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
    state_ = State::InPlace;
}

bool FileReplacement::Write(const void *bytes, std::size_t size) noexcept {
    if (state_ == State::Closed || failed_) return false;
    const char *path = state_ == State::Beside ? temporary_.c_str() : target_.c_str();
    if (size > 0 &&
        (fault::Fails(fault::Call::Write, path) || !system::WriteAll(handle_, bytes, size))) {
        failed_ = true;
    }
    written_ += size;
    return !failed_;
}

SaveOutcome FileReplacement::Commit() noexcept {
    SaveOutcome outcome = SaveOutcome::Failed;
    switch (state_) {
    case State::Closed:
        switch (unopened_) {
        case Unopened::Failed: outcome = SaveOutcome::Failed; break;
        case Unopened::Refused: outcome = SaveOutcome::Refused; break;
        case Unopened::Stale: outcome = SaveOutcome::Stale; break;
        }
        break;
    case State::Beside: outcome = CommitBeside(); break;
    case State::InPlace: outcome = CommitInPlace(); break;
    }
    if (outcome != SaveOutcome::Saved) Abandon();
    return outcome;
}

// Rule 8: on disk first, with the replaced file's permissions, and then in
// its place, if a last look still finds there the file the change read.
SaveOutcome FileReplacement::CommitBeside() noexcept {
    if (failed_ || !Finish() || !system::GivePermissions(handle_, replaced_.permissions))
        return SaveOutcome::Failed;
    const bool first = replaced_.presence == Presence::Missing;
    for (int attempt = 0;; ++attempt) {
        const FileLook now = LookAt(target_.c_str());
        const bool expected =
            first ? now.presence == Presence::Missing
                  : now.presence == Presence::Present && now.stamp == replaced_.stamp;
        if (!expected) return SaveOutcome::Stale;
        // Between that look and the rename lies the first window that
        // docs/saving.md names.
        if (fault::Fails(fault::Call::Replace, temporary_.c_str())) return SaveOutcome::Failed;
        const system::Renamed renamed = system::Rename(handle_, temporary_, target_, first);
        if (renamed == system::Renamed::Yes) break;
        if (renamed == system::Renamed::NameTaken) return SaveOutcome::Stale;
        if (renamed == system::Renamed::Failed || attempt + 1 == kRenameTries)
            return SaveOutcome::Failed;
        system::Pause(RenamePause(patience_, attempt));
    }
    // Held up to here, so no sweep could take the file before it was placed.
    // Its stamp is read after the rename, which sets the change time anew.
    temporary_.clear();
    if (!system::StampOpen(handle_, target_, static_cast<std::int64_t>(written_), stamp_))
        stamp_ = {};  // read again next time
    Close();
    system::FlushFolderOf(target_);
    if (access_) {
        access_->of_ = stamp_;
        access_->descriptor_.swap(given_);
    }
    return SaveOutcome::Saved;
}

SaveOutcome FileReplacement::CommitInPlace() noexcept {
    if (failed_ || fault::Fails(fault::Call::Truncate, target_.c_str()) ||
        !system::Truncate(handle_, written_) || !Finish() ||
        !system::StampOpen(handle_, target_, static_cast<std::int64_t>(written_), stamp_))
        return SaveOutcome::Failed;
    // The new bytes are on disk: a failed close could not undo them.
    original_.clear();
    Close();
    return SaveOutcome::Saved;
}

// Dates the new contents past the file they replace (rule 7) and flushes
// them to disk.
bool FileReplacement::Finish() noexcept {
    const char *path = state_ == State::Beside ? temporary_.c_str() : target_.c_str();
    const std::int64_t date = std::max(Now(), replaced_.stamp.writeTime) + TimeStep(replaced_);
    return system::SetWriteTime(handle_, date) && !fault::Fails(fault::Call::Flush, path) &&
           (!fault::DiskFlushEnabled() || system::FlushToDisk(handle_));
}

void FileReplacement::Abandon() noexcept {
    if (state_ == State::InPlace) {
        // Puts the old bytes back, and their write time. Not subject to the
        // test hooks, which stand for the failure being recovered from; the
        // old bytes fit where they stood before.
        // The file is then as this copy read it, but for its change time:
        // its new stamp stands for the same contents.
        const bool restored = system::Rewind(handle_) &&
                              system::WriteAll(handle_, original_.data(), original_.size()) &&
                              system::Truncate(handle_, original_.size()) &&
                              system::SetWriteTime(handle_, replaced_.stamp.writeTime) &&
                              system::FlushToDisk(handle_);
        if (!restored || !system::StampOpen(handle_, target_,
                                            static_cast<std::int64_t>(original_.size()), stamp_))
            stamp_ = {};
        original_.clear();
    }
    // A file that stays is swept at a copy's first holding (rule 10).
    if (state_ == State::Beside) (void)system::Remove(temporary_);
    temporary_.clear();
    Close();
}

void FileReplacement::Close() noexcept {
    if (handle_ != kNoHandle) (void)system::Close(handle_);
    handle_ = kNoHandle;
    state_ = State::Closed;
    assert(temporary_.empty() && original_.empty());
}

bool CanReplace(const char *path) {
    const std::string target = ResolveLinks(path);
    const FileLook look = system::LookAt(target.c_str());
    if (!look.Replaceable()) return false;
    if (system::FolderTakesFiles(target)) return true;
    // As a save does: rewritten in place, where the folder refuses new files.
    if (look.presence != Presence::Present) return false;
    const system::File file = system::OpenToRewrite(target);
    if (file == system::kNoFile) return false;
    (void)system::Close(file);
    return true;
}

bool RemoveCrashedSaves(const char *path) {
    const std::string target = path;
    bool all = true;
    for (const std::string &start : {target, system::FolderOf(target) + kShortMark})
        for (const std::string &sibling : system::Siblings(start))
            if (IsTemporaryOf(sibling, target)) all = system::RemoveIfAbandoned(sibling) && all;
    return all;
}

}  // namespace platform
