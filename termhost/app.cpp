// The main loop: draws the current window, reads a key and acts on it.
#include "termhost/app.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "history/history_path.h"
#include "host/codes.h"
#include "termhost/crash_guard.h"
#include "termhost/history_reading.h"
#include "termhost/key_codes.h"
#include "termhost/text_width.h"
#include "termhost/theme.h"

namespace termhost {
namespace fs = std::filesystem;
namespace {

// The keys that matter most first: a narrow screen shows the first few.
constexpr HelpKey kBrowserHelp[] = {{"Enter", "Open"}, {"Bksp", "Parent"}, {"P", "Plug-ins"},
                                    {"W", "Windows"},  {"Q", "Quit"},      {"Tab", "Next"},
                                    {"^R", "Reread"}};
constexpr HelpKey kEditorHelp[] = {{"Up Down PgUp PgDn", "Scroll"},
                                   {"Esc", "Close"},
                                   {"Q", "Quit"},
                                   {"P", "Plug-ins"},
                                   {"W", "Windows"},
                                   {"Tab", "Next"}};
constexpr int kReread = kCtrlFlag | 'R';
constexpr int kMenuTextMargin = 8;  // a full-width menu's frame and padding
constexpr int kMinTitlePath = 8;    // of the title bar, kept for the path

hostsim::MenuCall ListMenu(std::string title, const std::vector<std::string> &items, int selected) {
    hostsim::MenuCall menu;
    menu.x = menu.y = host::kHostChooses;
    menu.title = std::move(title);
    for (std::size_t i = 0; i < items.size(); ++i)
        menu.items.Add({items[i], static_cast<int>(i) == selected ? 1 : 0});
    menu.itemCount = static_cast<int>(items.size());
    return menu;
}

// The path cut from the left to what a full-width menu item has left
// beside `besides`, so that the rest of the item stays whole.
std::string MenuPath(const std::string &path, const std::string &besides) {
    return ShortenLeft(Printable(path), COLS - kMenuTextMargin - DisplayWidth(besides));
}

std::string Capitalised(std::string text) {
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

}  // namespace

fs::path FolderPath(const fs::path &folder) {
    fs::path path = fs::absolute(folder).lexically_normal();
    if (path.filename().empty() && path.has_relative_path()) path = path.parent_path();
    return path;
}

App::App(std::string plugin, const fs::path &folder)
    : frontend_(terminal_, [this](std::span<const HelpKey> help) { Draw(help); }),
      host_(frontend_),
      plugin_(std::move(plugin)),
      emptyNotice_(host_.PluginText(host::kTextEmptyHistory)),
      menuBottom_(host_.PluginText(host::kTextMenuBottom)) {
    host_.StopRecording();
    frontend_.onWindowsChanged = [this] { SyncViews(); };
    frontend_.onEditorOpening = [this](const std::string &path) { return EditorOpening(path); };
    frontend_.readHistory = [this] {
        CursorList entries;
        return ReadHistory(HistoryPath(), entries);
    };
    SyncViews();  // the browser's
    std::string error;
    if (!browser_.Show(FolderPath(folder), &error)) throw std::runtime_error(error);
}

int App::Run() {
    if (!plugin_.empty()) {
        std::string error;
        bool loaded = false;
        {
            crash_guard::PluginCode plugin;
            loaded = host_.LoadPlugin(plugin_, &error);
        }
        if (!loaded) Tell("Plug-in", {"The plug-in could not be loaded:", Printable(error)});
    }
    for (;;) {
        // Back in the browser: the folder may have changed meanwhile.
        const int current = host_.CurrentWindow();
        if (current == 0 && shownWindow_ != 0) RefreshBrowser();
        shownWindow_ = current;
        // Ctrl+C in a box or menu closed it, and the plug-in has wound up:
        // now the question can be asked.
        if (frontend_.TakeInterrupt() && ConfirmQuit()) return 0;
        if (EditorIsCurrent())
            Draw(kEditorHelp);
        else
            Draw(kBrowserHelp);
        DrawNotice(LINES - 1, notice_);
        refresh();
        const Input input = terminal_.ReadKey();
        if (input.resized) continue;
        notice_.clear();
        if (!HandleKey(TranslateKey(input.key))) return 0;
    }
}

void App::Draw(std::span<const HelpKey> help) {
    erase();
    const Rect area{0, 1, COLS, std::max(0, LINES - 2)};
    if (EditorIsCurrent())
        CurrentView().Draw(area);
    else
        browser_.Draw(area);
    DrawTitle();  // after the window, whose drawing settles what it reports
    DrawHelpLine(LINES - 1, help);
}

void App::DrawTitle() {
    const int current = host_.CurrentWindow();
    std::string prefix = std::to_string(current + 1);
    prefix += '/';
    prefix += std::to_string(host_.Windows().size());
    prefix = Spaced('[' + prefix + ']');
    std::string path, status;
    if (EditorIsCurrent()) {
        const TextView &view = CurrentView();
        prefix += "Editor ";
        path = view.Path();
        status = view.Status();
    } else {
        prefix += "Folder ";
        path = browser_.Folder().string();
        status = browser_.Summary();
    }
    // The status stays whole but on the narrowest screens; the path gives
    // way from the left, and a blank keeps the two apart.
    status = Spaced(Printable(status));
    const int prefixWidth = DisplayWidth(prefix);
    const int statusWidth =
        std::clamp(COLS - prefixWidth - kMinTitlePath - 1, 0, DisplayWidth(status));
    const int pathWidth = COLS - statusWidth - prefixWidth - 1;
    PutText(0, 0, prefix + ShortenLeft(Printable(path), pathWidth), COLS - statusWidth, BarAttr());
    PutText(0, COLS - statusWidth, status, statusWidth, BarAttr());
}

bool App::EditorIsCurrent() const {
    const auto current = static_cast<std::size_t>(host_.CurrentWindow());
    return current < slots_.size() && slots_[current].view != nullptr;
}

TextView &App::CurrentView() {
    return *slots_[static_cast<std::size_t>(host_.CurrentWindow())].view;
}

void App::SyncViews() {
    const std::vector<hostsim::Window> &windows = host_.Windows();
    slots_.resize(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        Slot &slot = slots_[i];
        const std::string &name = windows[i].name;
        if (windows[i].type != host::kEditorWindow) {
            slot = Slot{};
        } else if (slot.view == nullptr || slot.view->Path() != name) {
            slot.id = ++lastId_;
            slot.returnTo = kNoWindow;
            if (opening_ != nullptr && opening_->Path() == name) {
                slot.view = std::move(opening_);
                slot.returnTo = std::exchange(openingFrom_, kNoWindow);
                continue;
            }
            // A window that was not asked about first: shown with what can be read.
            EditorText text;
            std::string problem;
            if (!ReadForEditor(name, text, problem)) text.note = problem;
            slot.view = std::make_unique<TextView>(name, std::move(text));
        }
    }
}

bool App::HandleKey(int keyCode) {
    switch (keyCode) {
    case 'P': ShowPluginMenu(); return true;
    case 'W': ShowWindowList(); return true;
    case vk::kTab: SwitchBy(1); return true;
    case kShiftFlag | vk::kTab: SwitchBy(-1); return true;
    case 'Q':
    case vk::kF10:
    case kInterruptKey: return !ConfirmQuit();
    default: break;
    }
    if (EditorIsCurrent()) {
        if (keyCode == vk::kEscape)
            CloseEditor();
        else
            CurrentView().HandleKey(keyCode);
        return true;
    }
    if (keyCode == kReread) {
        RefreshBrowser();
        return true;
    }
    const FileBrowser::Action action = browser_.HandleKey(keyCode);
    if (action.kind == FileBrowser::Action::Kind::OpenFile) OpenFile(action.text);
    if (action.kind == FileBrowser::Action::Kind::Failed) {
        Tell("Folder", {"This folder cannot be shown:", action.text});
        RefreshBrowser();  // it may have gone, and others with it
    }
    return true;
}

bool App::EditorOpening(const std::string &path) {
    EditorText text;
    std::string problem;
    if (!ReadForEditor(path, text, problem)) {
        Tell("Cannot open", {path, Capitalised(problem)});
        return false;
    }
    opening_ = std::make_unique<TextView>(path, std::move(text));
    openingFrom_ = slots_[static_cast<std::size_t>(host_.CurrentWindow())].id;
    return true;
}

void App::OpenFile(const std::string &path) {
    // A file already open in an editor brings that editor up, as hosts do.
    const std::vector<hostsim::Window> &windows = host_.Windows();
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (windows[i].type == host::kEditorWindow && windows[i].name == path) {
            host_.SwitchTo(static_cast<int>(i));
            return;
        }
    crash_guard::PluginCode plugin;  // the editor-opened event goes to the plug-in
    host_.OpenEditorWindow(path);
}

void App::CloseEditor() {
    const int current = host_.CurrentWindow();
    const int returnTo = slots_[static_cast<std::size_t>(current)].returnTo;
    // Dropped first, so that the slots still match the windows when the
    // host reports the change.
    slots_.erase(slots_.begin() + current);
    host_.CloseWindow(current);
    // Back where the editor was opened from, if that window is still open.
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].id == returnTo) host_.SwitchTo(static_cast<int>(i));
}

void App::SwitchBy(int step) {
    const int count = static_cast<int>(host_.Windows().size());
    host_.SwitchTo((host_.CurrentWindow() + step + count) % count);
}

void App::ShowPluginMenu() {
    if (!host_.PluginLoaded()) {
        Tell("Plug-ins", {"No plug-in is loaded."});
        return;
    }
    hostsim::PluginInfo info;
    {
        crash_guard::PluginCode plugin;
        info = host_.GetPluginInfo();
    }
    if (info.menuStrings.empty()) {
        Tell("Plug-ins", {"The plug-in has no menu entry."});
        return;
    }
    hostsim::MenuCall menu = ListMenu("Plug-ins", info.menuStrings, 0);
    // Where the history is, for whoever looks for the file.
    const std::string history = HistoryPath();
    CursorList entries;
    const HistoryState state = ReadHistory(history, entries);
    const std::string about = " (" + Describe(state) + ")";
    menu.bottom = "History: " + MenuPath(history, "History: " + about) + about;
    const hostsim::MenuAnswer answer = frontend_.ShowMenu(menu);
    if (answer.result < 0 || answer.breakCode != host::kNoBreakKey) return;
    TellPluginTexts(state);
    {
        crash_guard::PluginCode plugin;
        host_.OpenPlugin(0, answer.result);
    }
    // A trim or a purge that closed the history menu, or emptied it.
    notice_ = frontend_.TakeRemovalNotice();
}

std::string App::HistoryPath() const { return HistoryPathFor(host_.PluginPath().c_str()).buf; }

void App::TellPluginTexts(const HistoryState &state) {
    // The plug-in shows its empty-history notice whenever it holds no
    // entry, and its menu knows nothing of saving: the host's texts say why.
    const std::string emptyNotice = state.problem.empty()
                                        ? emptyNotice_
                                        : "The file history cannot be read: " + state.problem + ".";
    const std::string notSaved = NotSaved(state);
    const std::string bottom = notSaved.empty() ? menuBottom_ : menuBottom_ + " - " + notSaved;
    // Set only when changed: the host keeps every text it replaced.
    if (host_.PluginText(host::kTextEmptyHistory) != emptyNotice)
        host_.SetPluginText(host::kTextEmptyHistory, emptyNotice);
    if (host_.PluginText(host::kTextMenuBottom) != bottom)
        host_.SetPluginText(host::kTextMenuBottom, bottom);
}

void App::ShowWindowList() {
    std::vector<std::string> items;
    const std::vector<hostsim::Window> &windows = host_.Windows();
    const std::size_t digits = std::to_string(windows.size()).size();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        std::string number = std::to_string(i + 1);
        number.insert(0, digits - number.size(), ' ');  // numbers line up
        const bool editor = windows[i].type == host::kEditorWindow;
        const std::string kind = number + (editor ? "  Editor  " : "  Folder  ");
        items.push_back(kind +
                        MenuPath(editor ? windows[i].name : browser_.Folder().string(), kind));
    }
    hostsim::MenuCall menu = ListMenu("Windows", items, host_.CurrentWindow());
    // Digits 1 to 9, then 0, go straight to the first ten windows.
    for (std::size_t i = 0; i < windows.size() && i < 10; ++i)
        menu.breakKeys.push_back('0' + static_cast<int>((i + 1) % 10));
    menu.bottom = "Enter or its digit: switch";
    const hostsim::MenuAnswer answer = frontend_.ShowMenu(menu);
    if (answer.breakCode >= 0)
        host_.SwitchTo(answer.breakCode);
    else if (answer.result >= 0)
        host_.SwitchTo(answer.result);
}

void App::RefreshBrowser() {
    const std::string why = browser_.Refresh();
    if (!why.empty())
        Tell("Folder", {"This folder can no longer be shown:", why,
                        "Showing " + browser_.Folder().string() + " instead."});
}

bool App::ConfirmQuit() {
    const auto editors = std::count_if(
        host_.Windows().begin(), host_.Windows().end(),
        [](const hostsim::Window &window) { return window.type == host::kEditorWindow; });
    if (editors == 0) return true;
    hostsim::MessageCall box;
    // The question last and short: a small screen keeps the last lines whole.
    box.lines = {
        "Quit", std::to_string(editors) + (editors == 1 ? " editor is" : " editors are") + " open.",
        "Quit anyway?", "Yes", "No"};
    box.lineCount = static_cast<int>(box.lines.size());
    box.buttonCount = 2;
    const int answer = frontend_.ShowMessage(box);
    return answer == 0 || frontend_.TakeInterrupt();  // a second Ctrl+C quits
}

void App::Tell(const std::string &title, const std::vector<std::string> &lines) {
    hostsim::MessageCall box;
    box.lines.push_back(title);
    box.lines.insert(box.lines.end(), lines.begin(), lines.end());
    box.lines.push_back("Ok");
    box.lineCount = static_cast<int>(box.lines.size());
    box.buttonCount = 1;
    frontend_.ShowMessage(box);
}

}  // namespace termhost
