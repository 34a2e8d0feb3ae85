// The stand-in host: loads a plug-in library by path, hands it a startup
// record whose services are implemented here, and keeps the host's windows.
// What a service shows to a user (menus, message boxes, prompts) is left to
// a Frontend: a scripted one for tests, a terminal one for people.
//
// Every service call is recorded, unless the host is told not to, with deep
// copies of its arguments. Services are plain C function pointers without
// context: they serve the Host whose export call is under way. Several Hosts
// can each have a plug-in loaded, as long as each loads its own file (a
// process loads one file once).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/codes.h"
#include "host/host_interface.h"

namespace hostsim {

using Text = std::optional<std::string>;  // a text argument; nullopt for a null pointer

// One menu item as it is read; its text lies in the items it came from.
struct MenuItem {
    std::string_view text;
    int selected = 0;
    int checked = 0;
    int separator = 0;
};

// A menu's items. The plug-in's are read where it keeps them, while its call
// lasts, so that showing a long menu costs what is read of it; a copy (a
// recorded call) and the host's own menus hold their items themselves.
class MenuItems {
public:
    MenuItems() = default;
    // The plug-in's array, read in place; a text is read within its field
    // even if the plug-in left no NUL there.
    MenuItems(const MenuItemRecord *records, int count);
    MenuItems(const MenuItems &other);
    MenuItems &operator=(const MenuItems &other);
    MenuItems(MenuItems &&) noexcept = default;
    MenuItems &operator=(MenuItems &&) noexcept = default;
    ~MenuItems() = default;

    void Add(const MenuItem &item);
    [[nodiscard]] std::size_t size() const noexcept;
    [[nodiscard]] MenuItem operator[](std::size_t i) const noexcept;

    struct Iterator {
        const MenuItems *items;
        std::size_t at;
        MenuItem operator*() const noexcept { return (*items)[at]; }
        Iterator &operator++() noexcept {
            ++at;
            return *this;
        }
        bool operator==(const Iterator &) const = default;
    };
    [[nodiscard]] Iterator begin() const noexcept { return {this, 0}; }
    [[nodiscard]] Iterator end() const noexcept { return {this, size()}; }

private:
    struct Kept {
        std::size_t offset = 0, length = 0;  // in texts_
        int selected = 0, checked = 0, separator = 0;
    };
    const MenuItemRecord *records_ = nullptr;
    std::size_t recordCount_ = 0;
    std::string texts_;  // the kept items' texts, one after another
    std::vector<Kept> kept_;
};

struct MenuCall {
    int pluginId = 0, x = 0, y = 0, maxHeight = 0;
    unsigned flags = 0;
    Text title, bottom, helpTopic;
    std::vector<int> breakKeys;  // without the terminating 0
    bool hasBreakCode = false;   // whether a break code pointer was given
    int breakCodeBefore = 0;     // its value when the menu was shown
    MenuItems items;
    int itemCount = 0;
};
struct MenuAnswer {
    int result = host::kCancelled;      // highlighted position, or a cancel
    int breakCode = host::kNoBreakKey;  // index of the break key, or none
};

struct MessageCall {
    int pluginId = 0;
    unsigned flags = 0;
    Text helpTopic;
    std::vector<std::string> lines;
    int lineCount = 0, buttonCount = 0;
};

struct PromptCall {
    Text title, prompt, historyName, initialText, helpTopic;
    int destSize = 0;
    unsigned flags = 0;
};
struct PromptAnswer {
    bool confirmed = false;
    std::string text;  // truncated by the host to destSize - 1 bytes
};

struct OpenEditorCall {
    Text fileName, title;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    unsigned flags = 0;
    int startLine = 0, startColumn = 0;
};

struct EditorCommandCall {
    int command = 0;
};

struct HostCommandCall {
    int pluginId = 0, command = 0;
    std::intptr_t param = 0;  // the parameter as a number (a position to switch to)
    int windowPos = -1;       // for window info: the position the plug-in asked about
};

struct GetPluginTextCall {
    int pluginId = 0, number = 0;
};

using Call = std::variant<MenuCall, MessageCall, PromptCall, OpenEditorCall, EditorCommandCall,
                          HostCommandCall, GetPluginTextCall>;

// One host window: the file panels (always window 0), or an editor on a file.
struct Window {
    int type = 0;  // host::kPanelsWindow or host::kEditorWindow
    std::string name;
};

// The number the host gives the plug-in in StartupRecord::PluginId.
inline constexpr int kPluginId = 0x5156;

// Shows what the plug-in asks the host to show.
class Frontend {
public:
    virtual ~Frontend() = default;
    virtual MenuAnswer ShowMenu(const MenuCall &call) = 0;
    virtual int ShowMessage(const MessageCall &call) = 0;  // the button chosen, or kNoButton
    virtual PromptAnswer PromptInput(const PromptCall &call) = 0;
    // Asked before an editor window opens on the file; false keeps it shut
    // (the frontend has told the user why), and no event is raised.
    virtual bool EditorMayOpen(const std::string & /*fileName*/) { return true; }
    // Told after the window list or the current window changed.
    virtual void WindowsChanged() {}
};

// What the plug-in registered through GetPluginInfo.
struct PluginInfo {
    std::int32_t structSize = 0, flags = 0;
    std::vector<std::string> menuStrings;
    const void *menuStringsAddress = nullptr;         // to check it stays the same
    std::int32_t words[host::kPluginInfoWords] = {};  // the record's 32-bit words as left
};

class Host {
public:
    explicit Host(Frontend &frontend);
    ~Host();  // unloads the plug-in
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;

    // Loads the library and calls its SetStartupInfo; false with a reason.
    // Fails while this Host has a plug-in loaded.
    [[nodiscard]] bool LoadPlugin(const std::string &path, std::string *error = nullptr);
    void UnloadPlugin();
    [[nodiscard]] bool PluginLoaded() const;
    // The address of another export of the loaded library, or null: for
    // tests whose build of the plug-in offers more.
    [[nodiscard]] void *PluginSymbol(const char *name) const;
    // The loaded library's real full path (what ModulePath reports unless
    // overridden); empty when nothing is loaded.
    [[nodiscard]] const std::string &PluginPath() const;
    // What the next LoadPlugin writes into ModulePath instead of the real
    // path; nullopt restores the real path. A text of 260 bytes or more is
    // copied as its first 260 bytes, with no NUL.
    void OverrideModulePath(Text path);

    // The plug-in's exports, called as the host calls them. Without a loaded
    // plug-in they do nothing and return the defaults.
    PluginInfo GetPluginInfo(const PluginInfoRecord &prefill = {});
    std::intptr_t OpenPlugin(int openFrom = 0, std::intptr_t item = 0);  // the export's result
    int ProcessEditorEvent(int event);

    // Windows: 0 is always the panels; editors follow in opening order.
    // The window info command copies a name that fills WindowInfoRecord::Name
    // or more as the field's bytes with no NUL, so tests can check the
    // plug-in reads within them.
    [[nodiscard]] const std::vector<Window> &Windows() const;
    [[nodiscard]] int CurrentWindow() const;
    void SwitchTo(int position);
    // Opens an editor window on the file, makes it current, and raises the
    // editor-opened event, as the host's editor does; false when the
    // frontend refused the file.
    bool OpenEditorWindow(const std::string &fileName);
    // Adds a window without raising anything (a test's scenery).
    void AddWindow(const Window &window);
    void CloseWindow(int position);  // the panels (0) stay

    // What the editor info command reports as the current editor's file: by default
    // the current window's name when it is an editor, else none; a test may
    // report any name, or none (nullopt: a null pointer).
    void SetEditorFileName(Text name);
    void ClearEditorFileName();

    // The host's wording of the plug-in's numbered texts (host::kText...).
    void SetPluginText(int number, std::string text);
    [[nodiscard]] std::string PluginText(int number) const;

    // A host that people use keeps no record of the calls: a long menu,
    // shown again at every key, would pile up copies.
    void StopRecording();
    // Every service call so far, oldest first. Nested calls (those the
    // plug-in makes while handling the editor-opened event that its own
    // OpenEditor raised) follow the call that caused them.
    [[nodiscard]] const std::vector<Call> &Calls() const;
    void ClearCalls();
    template <class T>
    [[nodiscard]] std::vector<T> CallsOf() const {
        std::vector<T> found;
        for (const Call &call : Calls())
            if (const T *c = std::get_if<T>(&call)) found.push_back(*c);
        return found;
    }

    // The host whose export call is under way, for the services; null
    // between calls.
    static Host *Active();
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// A frontend that answers from queues a test fills beforehand. When a queue
// is empty the menu is cancelled, the prompt cancelled, and the message box
// closed.
class ScriptedFrontend : public Frontend {
public:
    std::vector<MenuAnswer> menuAnswers;      // taken from the front
    std::vector<PromptAnswer> promptAnswers;  // taken from the front
    int messageAnswer = 0;
    // Called while a menu is shown, before its answer is taken: a test can
    // act there as another program would (e.g. rewrite a file) or queue the
    // answer from what the menu shows.
    std::function<void(const MenuCall &)> whileMenuShown;

    MenuAnswer ShowMenu(const MenuCall &call) override;
    int ShowMessage(const MessageCall &call) override;
    PromptAnswer PromptInput(const PromptCall &call) override;
};

}  // namespace hostsim
