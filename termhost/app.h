// The interactive host: the file browser and editor windows on the full
// screen, with the plug-in loaded into the stand-in host core.
#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "termhost/dialogs.h"
#include "termhost/file_browser.h"
#include "termhost/history_reading.h"
#include "termhost/terminal.h"
#include "termhost/text_view.h"

namespace termhost {

class App {
public:
    // `plugin` may be empty: the host then runs without one.
    App(std::string plugin, const std::filesystem::path &folder);
    int Run();

private:
    void Draw(std::span<const HelpKey> help);
    void DrawTitle();
    [[nodiscard]] bool EditorIsCurrent() const;
    [[nodiscard]] TextView &CurrentView();
    void SyncViews();

    // Key actions; HandleKey is false when the user quits.
    bool HandleKey(int keyCode);
    void OpenFile(const std::string &path);
    [[nodiscard]] bool EditorOpening(const std::string &path);
    void CloseEditor();
    void SwitchBy(int step);
    void ShowPluginMenu();
    void TellPluginTexts(const HistoryState &state);
    [[nodiscard]] std::string HistoryPath() const;
    void ShowWindowList();
    void RefreshBrowser();
    [[nodiscard]] bool ConfirmQuit();
    void Tell(const std::string &title, const std::vector<std::string> &lines);

    Terminal terminal_;
    TerminalFrontend frontend_;
    hostsim::Host host_;
    std::string plugin_;
    // The host's own wording of the plug-in's empty-history notice and
    // history menu bottom line, before TellPluginTexts adds to them.
    std::string emptyNotice_, menuBottom_;
    FileBrowser browser_;
    std::string notice_;  // shown in the help line's place until the next key
    // One per host window, at the same position.
    struct Slot {
        std::unique_ptr<TextView> view;  // null where not an editor
        int id = kBrowserId;             // an editor's: 1 up, never reused
        int returnTo = kNoWindow;        // the window current when it opened
    };
    static constexpr int kBrowserId = 0;
    static constexpr int kNoWindow = -1;
    std::vector<Slot> slots_;
    int lastId_ = kBrowserId;
    // The view of an editor about to open, read before its window was made,
    // and the window current then.
    std::unique_ptr<TextView> opening_;
    int openingFrom_ = kNoWindow;
    int shownWindow_ = 0;  // the window drawn last
};

// A folder's absolute, normal form, without a trailing separator.
[[nodiscard]] std::filesystem::path FolderPath(const std::filesystem::path &folder);

}  // namespace termhost
