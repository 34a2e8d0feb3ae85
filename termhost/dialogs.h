// The host's services that a user sees, drawn in the terminal: the menu,
// the message box and the one-line input box. Each is modal: it draws the
// screen behind it, then itself, until a key closes it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hostsim/host.h"
#include "termhost/draw.h"
#include "termhost/history_reading.h"
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

    // What a trim or a purge took from the history file, once, after the
    // plug-in acted on the key; empty when there was none. A menu shown
    // next takes it and shows it itself.
    [[nodiscard]] std::string TakeRemovalNotice();

    // Reads the history file, to count what a trim or a purge takes; unset,
    // nothing is counted.
    std::function<HistoryState()> readHistory;
    // Told whenever the host's windows change, the plug-in's doing included.
    std::function<void()> onWindowsChanged;
    // Asked before an editor opens on a file; false refuses it.
    std::function<bool(const std::string &)> onEditorOpening;

private:
    // A menu closed by a break key, to tell whether the plug-in shows it
    // again unchanged, having done nothing with the key.
    struct BreakKeyTaken {
        std::uint64_t inputs = 0;  // Terminal::InputsRead() then
        std::string title;
        std::size_t itemCount = 0;
        std::string refusal;  // what to say if it did nothing
    };
    [[nodiscard]] std::string TakeRefusal(const hostsim::MenuCall &call);

    Terminal &terminal_;
    Backdrop backdrop_;
    bool interrupted_ = false;
    std::optional<BreakKeyTaken> lastBreak_;
    std::optional<HistoryState> removalFrom_;  // the history when Del or F5 closed a menu
};

}  // namespace termhost
