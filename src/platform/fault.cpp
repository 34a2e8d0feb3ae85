// Test hooks of the platform layer; all unset in normal use.
#include "platform/fault.h"

namespace platform::fault {
namespace {
Hook hook = nullptr;
std::optional<int> consoleRows;
bool diskFlush = true;
// A save takes milliseconds; a holder silent for a second is taken for hung.
std::chrono::milliseconds lockPatience{1000};
Counter counter = nullptr;
}  // namespace

void SetHook(Hook h) noexcept { hook = h; }
void SetConsoleRows(std::optional<int> rows) noexcept { consoleRows = rows; }
void SetDiskFlush(bool enabled) noexcept { diskFlush = enabled; }
void SetLockPatience(std::chrono::milliseconds patience) noexcept { lockPatience = patience; }
void SetCounter(Counter c) noexcept { counter = c; }

bool Fails(Call call, const char *path) noexcept { return hook && hook(call, path); }
std::optional<int> ConsoleRowsOverride() noexcept { return consoleRows; }
bool DiskFlushEnabled() noexcept { return diskFlush; }
std::chrono::milliseconds LockPatience() noexcept { return lockPatience; }
void Count(FileCall call) noexcept {
    if (counter) counter(call);
}

}  // namespace platform::fault
