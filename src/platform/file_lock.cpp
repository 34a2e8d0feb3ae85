// FileLock: the lock file beside the history, waited for a bounded time.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/platform.h"
#include "platform/system.h"

namespace platform {

FileLock::FileLock(const char *path) : path_(system::ResolveLinks(path) + ".lock") {
    using Clock = std::chrono::steady_clock;
    // A save takes milliseconds; a second means the holder is hung.
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        bool busy = false;
        handle_ = system::TryLock(path_, busy);
        if (Held() || !busy || Clock::now() >= deadline) return;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(16));
    }
}

FileLock::~FileLock() {
    if (Held()) system::Unlock(handle_, path_);
}

}  // namespace platform
