// FileLock: the lock every copy takes around a change, and the wait for it,
// which follows the holder's progress (rules 2 to 5 of docs/saving.md).
#include <algorithm>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {
namespace {

// What a waiter sees of a holder's work: the lock file's size and time,
// which the holder's progress marks change, and the guarded file, which
// each save, and each write in place, changes.
struct Progress {
    FileStamp lock, guarded;
    friend bool operator==(const Progress &, const Progress &) = default;
};

Progress Seen(const std::string &lock, const std::string &guarded) {
    Progress seen;
    (void)system::Stamp(lock.c_str(), seen.lock);
    (void)system::Stamp(guarded.c_str(), seen.guarded);
    return seen;
}

// A progress mark each MiB: a few calls for a large history, one for most.
constexpr int kMarkShift = 20;

// Taking turns: a copy that had to wait for the lock, and wants it again
// the moment it let go, first gives the copies still waiting (who look
// every 8 ms at most) a chance. Without it one busy copy could keep the lock
// to itself, and the others would wait until they pass it.
bool hadToWait = false;
std::uint64_t letGoAt = 0;
constexpr std::uint32_t kTurnMs = 10;

}  // namespace

FileLock::FileLock(const char *path)
    : guarded_(system::ResolveLinks(path)), path_(guarded_ + system::kLockMark) {
    if (hadToWait && system::Milliseconds() - letGoAt < kTurnMs) system::Pause(kTurnMs);
    hadToWait = TryOnce();
    if (hadToWait) Wait();
}

FileLock::~FileLock() {
    // Seen even where no lock was had, so that a test sees each change end;
    // letting go cannot be refused.
    (void)fault::Fails(fault::Call::Unlock, guarded_.c_str());
    if (!Held()) return;
    if (Guarded())
        system::UnlockGuarded(handle_);
    else
        system::Unlock(handle_);
    letGoAt = system::Milliseconds();
}

// One try: the lock file, or where it cannot be used, the guarded file.
// True while another copy holds the lock.
bool FileLock::TryOnce() {
    system::File file = system::kNoFile;
    Kind kind = Kind::LockFile;
    // A mark left on the lock file: the last holder's save never ended.
    system::Locking locking = system::LockFile(path_, file, interrupted_);
    if (locking == system::Locking::Unusable) {
        kind = Kind::GuardedFile;
        locking = system::LockGuarded(guarded_, file);
    }
    if (locking != system::Locking::Held) return locking == system::Locking::Busy;
    handle_ = file;
    kind_ = kind;
    return false;
}

// Rule 3: a holder that shows progress is waited for; one that shows none
// for the patience, or any after half as long again in all, is passed: a
// hung copy must never freeze the others.
void FileLock::Wait() {
    const std::uint64_t patience = static_cast<std::uint64_t>(fault::LockPatience().count());
    const std::uint64_t longest = patience + patience / 2;
    const std::uint64_t start = system::Milliseconds();
    std::uint64_t lastProgress = start;
    Progress seen = Seen(path_, guarded_);
    // Polled each millisecond at first, then less often, down to every 8;
    // and more often again the longer the wait, so that the longest waiting
    // copy is the likeliest to take the lock when it comes free.
    std::uint32_t pause = 1;
    constexpr std::uint64_t kLongestPause = 8, kAging = 64;
    for (std::uint64_t now = start;;) {
        system::Pause(pause);
        const std::uint64_t waited = now - start;
        const std::uint64_t aged =
            waited / kAging < kLongestPause ? kLongestPause - waited / kAging : 1;
        pause = static_cast<std::uint32_t>(std::min<std::uint64_t>(pause * 2, aged));
        if (!TryOnce()) return;
        now = system::Milliseconds();
        const Progress progress = Seen(path_, guarded_);
        if (!(progress == seen)) {
            seen = progress;
            lastProgress = now;
        }
        if (now - lastProgress >= patience || now - start >= longest) return;
    }
}

void FileLock::ShowProgress(std::uint64_t bytes) noexcept {
    if (kind_ != Kind::LockFile) return;
    const std::uint64_t mark = (bytes >> kMarkShift) + 1;
    if (mark != shown_ && system::SetSize(handle_, mark)) shown_ = mark;
}

void FileLock::SaveOver() noexcept {
    if (kind_ != Kind::LockFile || shown_ == 0) return;
    if (system::SetSize(handle_, 0)) shown_ = 0;
}

}  // namespace platform
