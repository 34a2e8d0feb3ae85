// The host's services that a user sees, drawn in the terminal: the menu,
// the message box and the one-line input box. Each is modal: it draws the
// screen behind it, then itself, until a key closes it.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "hostsim/host.h"
#include "termhost/draw.h"
#include "termhost/terminal.h"

namespace termhost {

// Draws the screen behind a dialog, with the dialog's keys in the help line.
using Backdrop = std::function<void(std::span<const HelpKey> help)>;

class TerminalFrontend : public hostsim::Frontend {
public:
    TerminalFrontend(Terminal &terminal, Backdrop backdrop);

    hostsim::MenuAnswer ShowMenu(const hostsim::MenuCall &call) override;
    int ShowMessage(const hostsim::MessageCall &call) override;
    hostsim::PromptAnswer PromptInput(const hostsim::PromptCall &call) override;
    bool EditorMayOpen(const std::string &fileName) override;
    void WindowsChanged() override;

    // Whether Ctrl+C was pressed in a dialog since the last call. Ctrl+C
    // cancels the dialog, and every dialog after it until this is called,
    // so that the plug-in winds up and the host can ask to quit.
    [[nodiscard]] bool TakeInterrupt();

    // Told whenever the host's windows change, the plug-in's doing included.
    std::function<void()> onWindowsChanged;
    // Asked before an editor opens on a file; false refuses it.
    std::function<bool(const std::string &)> onEditorOpening;

private:
    Terminal &terminal_;
    Backdrop backdrop_;
    bool interrupted_ = false;
};

}  // namespace termhost
