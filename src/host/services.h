// The host's services as the plug-in calls them: each passes the plug-in's
// id itself, and takes its arguments by name.
#pragma once

#include <cstdint>

#include "host/codes.h"
#include "host/host_interface.h"

namespace host {

// ShowMenu's arguments.
struct Menu {
    int x = kHostChooses;  // the top-left corner
    int y = kHostChooses;
    int maxHeight = 0;  // rows at most; 0 leaves it to the host
    unsigned flags = 0;
    const char *title = nullptr;
    const char *bottom = nullptr;  // the text in the bottom border
    const char *helpTopic = nullptr;
    const int *breakKeys = nullptr;  // key codes that close the menu, ending with 0
    int *breakCode = nullptr;        // receives the closing key's index, or kNoBreakKey
    const MenuItemRecord *items = nullptr;
    int itemCount = 0;
};

// ShowMessage's arguments: the lines are the title, the text, then one line
// for each button.
struct Message {
    unsigned flags = 0;
    const char *helpTopic = nullptr;
    const char *const *lines = nullptr;
    int lineCount = 0;
    int buttonCount = 0;
};

// PromptInput's arguments.
struct Prompt {
    const char *title = nullptr;
    const char *prompt = nullptr;
    const char *historyName = nullptr;
    const char *initialText = nullptr;
    char *answer = nullptr;  // receives the text, NUL-terminated
    int answerSize = 0;
    const char *helpTopic = nullptr;
    unsigned flags = 0;
};

// OpenEditor's arguments.
struct Editor {
    const char *fileName = nullptr;
    const char *title = nullptr;
    int left = 0, top = 0, right = kHostChooses, bottom = kHostChooses;
    unsigned flags = 0;
    int startLine = kHostChooses, startColumn = kHostChooses;
};

class Services {
public:
    constexpr explicit Services(const StartupRecord &record) noexcept : record_(record) {}

    // The host's numbered text (kText...), owned and kept by the host.
    [[nodiscard]] const char *Text(int number) const {
        return record_.GetPluginText(record_.PluginId, number);
    }
    // The position highlighted when the menu closed, or kCancelled.
    int ShowMenu(const Menu &m) const {
        return record_.ShowMenu(record_.PluginId, m.x, m.y, m.maxHeight, m.flags, m.title, m.bottom,
                                m.helpTopic, m.breakKeys, m.breakCode, m.items, m.itemCount);
    }
    // The button chosen, or kNoButton.
    int ShowMessage(const Message &m) const {
        return record_.ShowMessage(record_.PluginId, m.flags, m.helpTopic, m.lines, m.lineCount,
                                   m.buttonCount);
    }
    // Whether the answer was confirmed.
    [[nodiscard]] bool PromptInput(const Prompt &p) const {
        return record_.PromptInput(p.title, p.prompt, p.historyName, p.initialText, p.answer,
                                   p.answerSize, p.helpTopic, p.flags) != 0;
    }
    // Opens the file in a new editor window.
    int OpenEditor(const Editor &e) const {
        return record_.OpenEditor(e.fileName, e.title, e.left, e.top, e.right, e.bottom, e.flags,
                                  e.startLine, e.startColumn);
    }
    // Fills the record on the current editor.
    int GetEditorInfo(EditorInfoRecord &info) const {
        return record_.EditorCommand(kEditorCommandGetInfo, &info);
    }
    // The number of host windows.
    [[nodiscard]] std::intptr_t WindowCount() const {
        return record_.HostCommand(record_.PluginId, kHostCommandGetWindowCount, nullptr);
    }
    // Fills the record on the window at its position Pos.
    std::intptr_t GetWindowInfo(WindowInfoRecord &window) const {
        return record_.HostCommand(record_.PluginId, kHostCommandGetWindowInfo, &window);
    }
    // Switches to the window at the position, which is the command's
    // parameter itself.
    std::intptr_t SetCurrentWindow(std::intptr_t position) const {
        return record_.HostCommand(record_.PluginId, kHostCommandSetCurrentWindow,
                                   reinterpret_cast<void *>(position));
    }

private:
    const StartupRecord &record_;
};

}  // namespace host
