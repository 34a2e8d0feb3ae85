// Where the history file lives: beside the library, named after it.
#include "history/history_path.h"

#include <cstring>

#include "history/file_names.h"
#include "platform/platform.h"

namespace {

constexpr char kHistoryExtension[] = ".ini";

// Start of the file name within the path: after the last separator.
std::int32_t NameStart(const DynString &path) {
    for (std::int32_t i = path.len; i > 0; --i) {
        const char c = path.buf[i - 1];
        // Windows accepts both slashes; elsewhere a backslash is a name byte.
        if (c == platform::kPathSeparator || c == '/') return i;
    }
    return 0;
}

}  // namespace

DynString HistoryPathFor(const char *modulePath) {
    DynString path(modulePath);
    // A file system that ignores case gets the path in one case throughout.
    if (platform::kFoldsCase) path.ToLower();
    const std::int32_t name = NameStart(path);
    const char *dot = std::strrchr(path.buf + name, '.');
    // The history must never be the library itself: an extension that is
    // already ".ini" gets another one rather than being reused.
    if (dot && !EqualIgnoringAsciiCase(dot, static_cast<std::int32_t>(std::strlen(dot)),
                                       kHistoryExtension, sizeof kHistoryExtension - 1))
        path.Erase(static_cast<std::int32_t>(dot - path.buf), -1);
    path.Append(kHistoryExtension);
    return path;
}
