// Test hooks of the platform layer: make any call fail, give any console
// height, and skip the flush to disk. They do nothing unless a test sets them.
#pragma once

#include <optional>

namespace platform::fault {

enum class Call {
    FileStamp,        // reading a file's stamp
    FileAttributes,   // querying a file's attributes
    ConsoleRows,      // asking the console for its height
    OpenToRead,       // opening a file to read it
    Read,             // reading its bytes
    Lock,             // taking the lock beside the history
    CreateTemporary,  // creating the new file beside the one to replace
    RefuseTemporary,  // the same, refused as by a folder that takes no new files
    CopyPermissions,  // giving the new file the old one's permissions
    OpenInPlace,      // opening the file itself for rewriting
    Write,            // writing bytes of the new contents
    Truncate,         // cutting a file rewritten in place to its new length
    Flush,            // flushing the new contents to disk
    Close,            // closing the new file
    Replace,          // putting the new file in place of the old
    Remove,           // removing a temporary file left by a crashed save
};

// Returns true to make that call fail as the system would.
using Hook = bool (*)(Call);

void SetHook(Hook hook) noexcept;
// The console height to report instead of asking; nullopt asks again.
void SetConsoleRows(std::optional<int> rows) noexcept;
// Whether writes are flushed to disk; fuzzing turns it off for speed.
void SetDiskFlush(bool enabled) noexcept;

// For the platform layer itself.
[[nodiscard]] bool Fails(Call call) noexcept;
[[nodiscard]] std::optional<int> ConsoleRowsOverride() noexcept;
[[nodiscard]] bool DiskFlushEnabled() noexcept;

}  // namespace platform::fault
