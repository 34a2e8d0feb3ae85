// The main loop: draws the current window, reads a key and acts on it.
#include "app.h"

#include <algorithm>

#include "crash_guard.h"
#include "key_codes.h"
#include "text_width.h"
#include "theme.h"

namespace termhost {
namespace fs = std::filesystem;
namespace {

constexpr HelpKey kBrowserHelp[] = {{"Enter", "Open"},    {"Bksp", "Parent"}, {"P", "Plug-ins"},
                                    {"W", "Windows"},     {"Tab", "Next"},    {"Q", "Quit"}};
constexpr HelpKey kEditorHelp[] = {{"Up Down PgUp PgDn", "Scroll"}, {"Esc", "Close"},
                                   {"P", "Plug-ins"},               {"W", "Windows"},
                                   {"Tab", "Next"},                 {"Q", "Quit"}};
constexpr int kF10 = vk::kF1 + 9;

hostsim::MenuCall ListMenu(std::string title, const std::vector<std::string> &items, int selected) {
    hostsim::MenuCall menu;
    menu.x = menu.y = -1;
    menu.title = std::move(title);
    for (std::size_t i = 0; i < items.size(); ++i)
        menu.items.push_back({items[i], static_cast<int>(i) == selected ? 1 : 0});
    menu.itemCount = static_cast<int>(items.size());
    return menu;
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
      plugin_(std::move(plugin)) {
    frontend_.onWindowsChanged = [this] { SyncViews(); };
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
        if (EditorIsCurrent())
            Draw(kEditorHelp);
        else
            Draw(kBrowserHelp);
        refresh();
        const Input input = terminal_.ReadKey();
        if (input.resized) continue;
        if (!HandleKey(TranslateKey(input.key))) return 0;
    }
}

void App::Draw(std::span<const HelpKey> help) {
    erase();
    const Rect area{0, 1, COLS, std::max(0, LINES - 2)};
    const int current = host_.CurrentWindow();
    if (EditorIsCurrent())
        views_[static_cast<std::size_t>(current)]->Draw(area);
    else
        browser_.Draw(area);
    DrawTitle();  // after the window, whose drawing settles what it reports
    DrawHelpLine(LINES - 1, help);
}

void App::DrawTitle() {
    const int current = host_.CurrentWindow();
    std::string position = std::to_string(current + 1);
    position += '/';
    position += std::to_string(host_.Windows().size());
    position = Spaced('[' + position + ']');
    std::string name, status;
    if (EditorIsCurrent()) {
        const TextView &view = *views_[static_cast<std::size_t>(current)];
        name = "Editor " + view.Path();
        status = view.Status();
    } else {
        name = "Folder " + browser_.Folder().string();
        status = browser_.Summary();
    }
    status = Spaced(Printable(status));
    const int statusWidth = std::min(DisplayWidth(status), COLS / 2);
    PutText(0, 0, position + Printable(name), COLS - statusWidth, BarAttr());
    PutText(0, COLS - statusWidth, status, statusWidth, BarAttr());
}

bool App::EditorIsCurrent() const {
    const auto current = static_cast<std::size_t>(host_.CurrentWindow());
    return current < views_.size() && views_[current] != nullptr;
}

void App::SyncViews() {
    const std::vector<hostsim::Window> &windows = host_.Windows();
    views_.resize(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (windows[i].type != host::kEditorWindow)
            views_[i].reset();
        else if (views_[i] == nullptr || views_[i]->Path() != windows[i].name)
            views_[i] = std::make_unique<TextView>(windows[i].name);
    }
}

bool App::HandleKey(int keyCode) {
    switch (keyCode) {
    case 'P': ShowPluginMenu(); return true;
    case 'W': ShowWindowList(); return true;
    case vk::kTab: SwitchBy(1); return true;
    case kShiftFlag | vk::kTab: SwitchBy(-1); return true;
    case 'Q':
    case kF10: return !ConfirmQuit();
    default: break;
    }
    if (EditorIsCurrent()) {
        if (keyCode == vk::kEscape)
            CloseEditor();
        else
            views_[static_cast<std::size_t>(host_.CurrentWindow())]->HandleKey(keyCode);
        return true;
    }
    const FileBrowser::Action action = browser_.HandleKey(keyCode);
    if (action.kind == FileBrowser::Action::Kind::OpenFile) OpenFile(action.text);
    if (action.kind == FileBrowser::Action::Kind::Failed)
        Tell("Folder", {"This folder cannot be shown:", Printable(action.text)});
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
    // Dropped first, so that the views still match the windows when the
    // host reports the change.
    views_.erase(views_.begin() + current);
    host_.CloseWindow(current);
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
    const hostsim::MenuAnswer answer = frontend_.ShowMenu(ListMenu("Plug-ins", info.menuStrings, 0));
    if (answer.result < 0 || answer.breakCode != -1) return;
    crash_guard::PluginCode plugin;
    host_.OpenPlugin(0, answer.result);
}

void App::ShowWindowList() {
    std::vector<std::string> items;
    const std::vector<hostsim::Window> &windows = host_.Windows();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const std::string number = std::to_string(i + 1) + "  ";
        if (windows[i].type == host::kEditorWindow)
            items.push_back(number + "Editor  " + windows[i].name);
        else
            items.push_back(number + "Folder  " + browser_.Folder().string());
    }
    const hostsim::MenuAnswer answer =
        frontend_.ShowMenu(ListMenu("Windows", items, host_.CurrentWindow()));
    if (answer.result >= 0) host_.SwitchTo(answer.result);
}

bool App::ConfirmQuit() {
    const auto editors = std::count_if(host_.Windows().begin(), host_.Windows().end(),
                                       [](const hostsim::Window &window) {
                                           return window.type == host::kEditorWindow;
                                       });
    if (editors == 0) return true;
    hostsim::MessageCall box;
    box.lines = {"Quit", std::to_string(editors) + (editors == 1 ? " editor is" : " editors are") + " open.",
                 "Quit all the same?", "Yes", "No"};
    box.lineCount = static_cast<int>(box.lines.size());
    box.buttonCount = 2;
    return frontend_.ShowMessage(box) == 0;
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
