// HistoryLock: the one lock every copy takes before it replaces a history,
// and the wait for it (rules 1 and 2 of docs/saving.md).
#include <algorithm>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {

namespace {

// A holder's change takes from a few milliseconds to a few tens: a brief
// wait lets most end, and a recording never freezes the editor it opens
// for longer, whatever holds the lock (a hung copy, a slow scanner).
constexpr std::uint64_t kBriefMs = 100;
constexpr std::uint64_t kLongMs = 1000;

}  // namespace

// Polled, each millisecond at first and then every 8. Never taken from a
// holder that lives, however long it holds: a copy that waited its patience
// out leaves its change for the holder instead.
HistoryLock::HistoryLock(const char *history, const char *library, Patience kind) {
    const auto set = fault::LockPatience();
    const std::uint64_t patience = set ? static_cast<std::uint64_t>(set->count())
                                   : kind == Patience::Brief ? kBriefMs
                                                             : kLongMs;
    const std::uint64_t start = system::Milliseconds();
    constexpr std::uint32_t kLongestPause = 8;
    for (std::uint32_t pause = 1;; pause = std::min(pause * 2, kLongestPause)) {
        system::File lock = system::kNoFile;
        const system::Locking locking = system::LockHistory(history, library, lock, path_);
        if (locking == system::Locking::Held) {
            handle_ = lock;
            return;
        }
        unusable_ = locking == system::Locking::Unusable;
        if (unusable_ || system::Milliseconds() - start >= patience) return;
        system::Pause(pause);
    }
}

HistoryLock::~HistoryLock() {
    // Seen even where no lock was had, so that a test sees each change end;
    // letting go cannot be refused.
    (void)fault::Fails(fault::Call::Unlock, path_.c_str());
    if (Held()) system::UnlockHistory(handle_);
}

}  // namespace platform
