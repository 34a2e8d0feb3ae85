// Where the history file lives: beside the library, named after it.
#include "history/history_path.h"

#include <cstring>

#include "history/file_names.h"
#include "platform/platform.h"

namespace {

constexpr char kHistoryExtension[] = ".ini";

// Start of the file name within the path: after the last separator, which
// a character's second byte never is.
std::int32_t NameStart(const DynString &path) {
    std::int32_t start = 0;
    for (std::int32_t i = 0; i < path.len; i += NameLeadBytes.Width(path.buf[i])) {
        const char c = path.buf[i];
        // Windows accepts both slashes; elsewhere a backslash is a name byte.
        if (c == platform::kPathSeparator || c == '/') start = i + 1;
    }
    return start;
}

}  // namespace

DynString HistoryPathFor(const char *modulePath) {
    DynString path(modulePath);
    // A file system that ignores case gets the path in one case throughout,
    // character by character: a second byte folded names another folder.
    if (platform::kFoldsCase) NameLeadBytes.ToLower(path.buf, path.len);
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
