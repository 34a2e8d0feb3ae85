// Test hooks of the platform layer; all unset in normal use.
#include "platform/fault.h"

namespace platform::fault {
namespace {
Hook hook = nullptr;
std::optional<int> consoleRows;
bool diskFlush = true;
std::optional<std::chrono::milliseconds> lockPatience;
// A program writing a file does so in one go, or pauses between writes for
// far less than this.
std::chrono::milliseconds stillAfter{2000};
int coarseTimes = 0;
Counter counter = nullptr;
bool remoteVolumes = false;
}  // namespace

void SetHook(Hook h) noexcept { hook = h; }
void SetConsoleRows(std::optional<int> rows) noexcept { consoleRows = rows; }
void SetDiskFlush(bool enabled) noexcept { diskFlush = enabled; }
void SetLockPatience(std::optional<std::chrono::milliseconds> patience) noexcept {
    lockPatience = patience;
}
void SetStillAfter(std::chrono::milliseconds still) noexcept { stillAfter = still; }
void SetCoarseTimes(int seconds) noexcept { coarseTimes = seconds; }
void SetCounter(Counter c) noexcept { counter = c; }
void SetRemoteVolumes(bool remote) noexcept { remoteVolumes = remote; }

bool Fails(Call call, const char *path) noexcept { return hook && hook(call, path); }
std::optional<int> ConsoleRowsOverride() noexcept { return consoleRows; }
bool DiskFlushEnabled() noexcept { return diskFlush; }
std::optional<std::chrono::milliseconds> LockPatience() noexcept { return lockPatience; }
std::chrono::milliseconds StillAfter() noexcept { return stillAfter; }
int CoarseTimes() noexcept { return coarseTimes; }
bool RemoteVolumes() noexcept { return remoteVolumes; }
void Count(FileCall call) noexcept {
    if (counter) counter(call);
}

}  // namespace platform::fault
