// Opening the chosen file: reuse an editor window on it, or open one.
#include "plugin/open_in_editor.h"

#include <climits>
#include <cstring>

#include "history/file_names.h"
#include "host/codes.h"
#include "plugin/startup.h"
#include "text/bounded_length.h"

namespace {

// Position of the first editor window on the file, or -1.
int FindEditorWindow(const char *path) {
    const std::intptr_t windows = Host.WindowCount();
    const auto pathLength = static_cast<std::int32_t>(std::strlen(path));
    for (std::intptr_t i = 0; i < windows && i < INT_MAX; ++i) {
        // Cleared each time: a window the host does not describe matches nothing.
        WindowInfoRecord window{};
        window.Pos = static_cast<std::int32_t>(i);
        Host.GetWindowInfo(window);
        if (window.Type == host::kEditorWindow &&
            SameFile(window.Name, BoundedLength(window.Name), path, pathLength))
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

void OpenInEditor(const char *path) {
    const int window = FindEditorWindow(path);
    if (window >= 0) {
        Host.SetCurrentWindow(window);
        return;
    }
    Host.OpenEditor({.fileName = path, .flags = host::kEditorFlags});
}
