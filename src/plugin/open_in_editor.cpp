// Opening the chosen file: reuse an editor window on it, or open one.
#include "plugin/open_in_editor.h"

#include <climits>
#include <cstring>

#include "plugin/bounded_text.h"
#include "history/file_names.h"
#include "plugin/startup.h"

namespace {

// Position of the first editor window on the file, or -1.
int FindEditorWindow(const char *path) {
    const int pluginId = StartupCopy.PluginId;
    const std::intptr_t windows =
        StartupCopy.HostCommand(pluginId, host::kHostCommandGetWindowCount, nullptr);
    const auto pathLength = static_cast<std::int32_t>(std::strlen(path));
    for (std::intptr_t i = 0; i < windows && i < INT_MAX; ++i) {
        // Cleared each time: a window the host does not describe matches nothing.
        WindowInfoRecord window{};
        window.Pos = static_cast<std::int32_t>(i);
        StartupCopy.HostCommand(pluginId, host::kHostCommandGetWindowInfo, &window);
        if (window.Type == host::kEditorWindow &&
            SameFile(window.Name, BoundedLength(window.Name, sizeof window.Name), path, pathLength))
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

void OpenInEditor(const char *path) {
    const int window = FindEditorWindow(path);
    if (window >= 0) {
        StartupCopy.HostCommand(StartupCopy.PluginId, host::kHostCommandSetCurrentWindow,
                                reinterpret_cast<void *>(static_cast<std::intptr_t>(window)));
        return;
    }
    StartupCopy.OpenEditor(path, nullptr, 0, 0, -1, -1, 1, -1, -1);
}
