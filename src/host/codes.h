// The host interface's other numbers: the plug-in's numbered texts, the
// flags it passes, the commands it sends, the window types and the editor
// event it hears. Where a value's meaning is the host's own, the name says
// what the plug-in uses it for.
#pragma once

namespace host {

// GetPluginText: the host's numbered texts for the plug-in.
inline constexpr int kTextTitle = 0;         // the plug-in menu entry and the history menu's title
inline constexpr int kTextEmptyHistory = 1;  // the notice for an empty history
inline constexpr int kTextMenuBottom = 2;    // the history menu's bottom line
inline constexpr int kTextCount = 3;

// A position or corner of -1 leaves it to the host.
inline constexpr int kHostChooses = -1;

// The flags words the plug-in passes; it passes 0 to ShowMessage and
// PromptInput.
inline constexpr int kRegistrationFlags = 4;  // PluginInfoRecord::Flags
inline constexpr unsigned kMenuFlags = 2;     // ShowMenu, for the history menu
inline constexpr unsigned kEditorFlags = 1;   // OpenEditor

// ShowMenu: the break code when no break key closed the menu, and the
// result of a cancel (a result below it chooses nothing either).
inline constexpr int kNoBreakKey = -1;
inline constexpr int kCancelled = -1;

// ShowMessage's result when no button was chosen.
inline constexpr int kNoButton = -1;

// OpenPlugin's result: nothing opened that the host would keep.
inline constexpr int kNothingOpened = -1;

// EditorCommand: fills an EditorInfoRecord on the current editor.
inline constexpr int kEditorCommandGetInfo = 6;
// HostCommand: fills a WindowInfoRecord, gives the number of windows, and
// switches to the window at a position.
inline constexpr int kHostCommandGetWindowInfo = 9;
inline constexpr int kHostCommandGetWindowCount = 10;
inline constexpr int kHostCommandSetCurrentWindow = 11;

// WindowInfoRecord::Type: the file panels and an editor.
inline constexpr int kPanelsWindow = 1;
inline constexpr int kEditorWindow = 3;

// ProcessEditorEvent: the editor has opened a file.
inline constexpr int kEditorEventOpened = 0;

}  // namespace host
