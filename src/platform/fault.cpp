// Test hooks of the platform layer; all unset in normal use.
#include "platform/fault.h"

namespace platform::fault {
namespace {
Hook hook = nullptr;
std::optional<int> consoleRows;
bool diskFlush = true;
}  // namespace

void SetHook(Hook h) noexcept { hook = h; }
void SetConsoleRows(std::optional<int> rows) noexcept { consoleRows = rows; }
void SetDiskFlush(bool enabled) noexcept { diskFlush = enabled; }

bool Fails(Call call) noexcept { return hook && hook(call); }
std::optional<int> ConsoleRowsOverride() noexcept { return consoleRows; }
bool DiskFlushEnabled() noexcept { return diskFlush; }

}  // namespace platform::fault
