// The services the host hands to the plug-in in its startup record. Each
// records its call with deep copies of the arguments and forwards to the
// active host; no exception ever goes back into the plug-in.
#include <algorithm>
#include <cstring>

#include "host/codes.h"
#include "hostsim/host_impl.h"

namespace hostsim {
namespace {

using Impl = Host::Impl;

Text Copy(const char *text) { return text != nullptr ? Text(text) : std::nullopt; }

// Runs a service body on the active host. Without one, or when the body
// throws (say, out of memory), the plug-in gets the failure value a host
// would give.
template <class R, class Body>
R Serve(R failure, Body body) noexcept {
    try {
        Impl *host = Impl::Active();
        return host != nullptr ? body(*host) : failure;
    } catch (...) {
        return failure;
    }
}

int QUORVEL_CALL ShowMenu(int pluginId, int x, int y, int maxHeight, unsigned flags,
                          const char *title, const char *bottom, const char *helpTopic,
                          const int *breakKeys, int *breakCode, const MenuItemRecord *items,
                          int itemCount) {
    return Serve(host::kCancelled, [&](Impl &host) {
        MenuCall call;
        call.pluginId = pluginId;
        call.x = x;
        call.y = y;
        call.maxHeight = maxHeight;
        call.flags = flags;
        call.title = Copy(title);
        call.bottom = Copy(bottom);
        call.helpTopic = Copy(helpTopic);
        for (const int *key = breakKeys; key != nullptr && *key != 0; ++key)
            call.breakKeys.push_back(*key);
        call.hasBreakCode = breakCode != nullptr;
        call.breakCodeBefore = breakCode != nullptr ? *breakCode : 0;
        call.itemCount = itemCount;
        call.items = MenuItems(items, itemCount);
        host.Record(call);
        const MenuAnswer answer = host.frontend.ShowMenu(call);
        if (breakCode != nullptr) *breakCode = answer.breakCode;
        return answer.result;
    });
}

int QUORVEL_CALL ShowMessage(int pluginId, unsigned flags, const char *helpTopic,
                             const char *const *lines, int lineCount, int buttonCount) {
    return Serve(host::kNoButton, [&](Impl &host) {
        MessageCall call{pluginId, flags, Copy(helpTopic), {}, lineCount, buttonCount};
        for (int i = 0; lines != nullptr && i < lineCount; ++i)
            call.lines.emplace_back(lines[i] != nullptr ? lines[i] : "");
        host.Record(call);
        return host.frontend.ShowMessage(call);
    });
}

const char *QUORVEL_CALL GetPluginText(int pluginId, int number) {
    return Serve<const char *>("", [&](Impl &host) {
        host.Record(GetPluginTextCall{pluginId, number});
        return host.PluginText(number);
    });
}

int QUORVEL_CALL PromptInput(const char *title, const char *prompt, const char *historyName,
                             const char *initialText, char *dest, int destSize,
                             const char *helpTopic, unsigned flags) {
    return Serve(0, [&](Impl &host) {
        const PromptCall call{.title = Copy(title),
                              .prompt = Copy(prompt),
                              .historyName = Copy(historyName),
                              .initialText = Copy(initialText),
                              .helpTopic = Copy(helpTopic),
                              .destSize = destSize,
                              .flags = flags};
        host.Record(call);
        const PromptAnswer answer = host.frontend.PromptInput(call);
        if (!answer.confirmed) return 0;
        if (dest != nullptr && destSize > 0) {
            const std::size_t length =
                std::min(answer.text.size(), static_cast<std::size_t>(destSize - 1));
            std::memcpy(dest, answer.text.data(), length);
            dest[length] = '\0';
        }
        return 1;
    });
}

int QUORVEL_CALL OpenEditor(const char *fileName, const char *title, int x1, int y1, int x2, int y2,
                            unsigned flags, int startLine, int startColumn) {
    return Serve(0, [&](Impl &host) {
        host.Record(OpenEditorCall{Copy(fileName), Copy(title), x1, y1, x2, y2, flags, startLine,
                                   startColumn});
        if (fileName == nullptr || *fileName == '\0') return 0;
        // Raises the editor-opened event, nested in this call.
        return Host::Active()->OpenEditorWindow(fileName) ? 1 : 0;
    });
}

int QUORVEL_CALL EditorCommand(int command, void *data) {
    return Serve(0, [&](Impl &host) {
        host.Record(EditorCommandCall{command});
        if (command != host::kEditorCommandGetInfo || data == nullptr) return 0;
        const char *name = host.EditorFileName();
        static_cast<EditorInfoRecord *>(data)->FileName = name;
        return name != nullptr ? 1 : 0;
    });
}

std::intptr_t QUORVEL_CALL HostCommand(int pluginId, int command, void *param) {
    return Serve<std::intptr_t>(0, [&](Impl &host) -> std::intptr_t {
        auto *window = static_cast<WindowInfoRecord *>(param);
        const bool describes = command == host::kHostCommandGetWindowInfo && window != nullptr;
        host.Record(HostCommandCall{pluginId, command, reinterpret_cast<std::intptr_t>(param),
                                    describes ? window->Pos : -1});
        const auto position = reinterpret_cast<std::intptr_t>(param);
        switch (command) {
        case host::kHostCommandGetWindowCount:
            return static_cast<std::intptr_t>(host.windows.size());
        case host::kHostCommandGetWindowInfo:
            if (!describes || !host.ValidWindow(window->Pos)) return 0;
            window->Type = host.windows[window->Pos].type;
            CopyName(window->Name, sizeof window->Name, host.windows[window->Pos].name);
            return 1;
        case host::kHostCommandSetCurrentWindow:
            if (position < 0 || position >= static_cast<std::intptr_t>(host.windows.size()))
                return 0;
            host.current = static_cast<int>(position);
            host.TellWindowsChanged();
            return 1;
        default: return 0;
        }
    });
}

}  // namespace

StartupRecord MakeStartupRecord() {
    StartupRecord record;
    std::memset(&record, 0, sizeof record);
    record.StructSize = static_cast<std::int32_t>(sizeof record);
    record.ShowMenu = ShowMenu;
    record.ShowMessage = ShowMessage;
    record.GetPluginText = GetPluginText;
    record.OpenEditor = OpenEditor;
    record.EditorCommand = EditorCommand;
    record.HostCommand = HostCommand;
    record.PromptInput = PromptInput;
    return record;
}

}  // namespace hostsim
