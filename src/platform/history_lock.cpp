// HistoryLock: the one lock every copy takes before it replaces a history,
// and the wait for it (rules 1 and 2 of docs/saving.md).
#include <algorithm>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {

// Polled, each millisecond at first and then every 8: a holder's change
// takes from a few milliseconds to a few tens. Never taken from a holder
// that lives, however long it holds: a copy that waited its patience out
// leaves its change for the holder instead.
HistoryLock::HistoryLock(const char *history, const char *library) {
    const std::uint64_t patience = static_cast<std::uint64_t>(fault::LockPatience().count());
    const std::uint64_t start = system::Milliseconds();
    constexpr std::uint32_t kLongestPause = 8;
    for (std::uint32_t pause = 1;; pause = std::min(pause * 2, kLongestPause)) {
        system::File lock = system::kNoFile;
        const system::Locking locking = system::LockHistory(history, library, lock, path_);
        if (locking == system::Locking::Held) {
            handle_ = lock;
            return;
        }
        if (locking == system::Locking::Unusable || system::Milliseconds() - start >= patience) {
            return;
        }
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
