// FileLock: the lock file beside the history, waited for while its holders
// make progress, and about a second longer.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/platform.h"
#include "platform/system.h"

namespace platform {
namespace {

// What a holder changes: the guarded file, once per save.
FileStamp Progress(const std::string &guarded) {
    FileStamp stamp;
    (void)system::Stamp(guarded.c_str(), stamp);
    return stamp;
}

}  // namespace

FileLock::FileLock(const char *path) {
    const std::string guarded = system::ResolveLinks(path);
    path_ = guarded + system::kLockMark;
    bool busy = false;
    handle_ = system::TryLock(path_, busy, carries_);
    if (Held() || !busy) return;
    // A save takes milliseconds. Copies that keep saving one after another
    // can each take the lock before a waiter sees it free, so the wait runs
    // as long as the file keeps changing: only a holder that changes nothing
    // for a second is taken for hung.
    using Clock = std::chrono::steady_clock;
    constexpr auto kPatience = std::chrono::seconds(1);
    auto deadline = Clock::now() + kPatience;
    FileStamp seen = Progress(guarded);
    // The lock is polled each millisecond at first, then less often, down
    // to once per kLongestPause.
    auto pause = std::chrono::milliseconds(1);
    constexpr auto kLongestPause = std::chrono::milliseconds(8);
    for (;;) {
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, kLongestPause);
        handle_ = system::TryLock(path_, busy, carries_);
        if (Held() || !busy) return;
        if (Clock::now() < deadline) continue;
        const FileStamp now = Progress(guarded);
        if (now == seen) return;
        seen = now;
        deadline = Clock::now() + kPatience;
    }
}

FileLock::~FileLock() {
    if (!Held()) return;
    // Once in the guarded file's place, the path may name another's lock.
    if (placed_)
        (void)system::Close(handle_);
    else
        system::Unlock(handle_, path_);
}

}  // namespace platform
