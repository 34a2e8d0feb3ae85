// The history menu: narrowing by typed text, choosing, and the keys that
// trim and purge the history.
#include "plugin/history_menu.h"

#include "history/history.h"
#include "history/history_store.h"
#include "host/codes.h"
#include "platform/platform.h"
#include "plugin/break_keys.h"
#include "plugin/export.h"
#include "plugin/menu_items.h"
#include "plugin/notice.h"
#include "plugin/open_in_editor.h"
#include "plugin/startup.h"
#include "plugin/trimming.h"

namespace {

enum class MenuEnd { Closed, Restart };

// Rows of the console the menu leaves to the host's frame and surroundings.
constexpr int kRowsAroundMenu = 4;

// Typing a filter this long allocates nothing.
constexpr std::int32_t kTypedRoom = 64;

// Leaves room for the host's frame; with no console to ask, the host decides.
int MaximumHeight() {
    const int rows = platform::ConsoleBufferRows();
    return rows < 0 ? 0 : rows - kRowsAroundMenu;
}

DynString Title(const DynString &filter) {
    const char *text = Host.Text(host::kTextTitle);
    DynString title(text ? text : "");
    title.Append(" [");
    title.Append(filter);
    title.Append("]");
    return title;
}

// Shows the menu again and again, acting on each key, until it closes;
// `chosen` receives the entry picked, if any.
MenuEnd ShowUntilClosed(DynString &chosen) {
    MenuItems menu;
    menu.TakeHistory();
    DynString filter;
    filter.Reserve(kTypedRoom);
    const int maxHeight = MaximumHeight();
    std::int32_t selection = HistoryList.count - 1;
    bool rebuild = true;  // from every entry
    for (;;) {
        // A filter that matches nothing loses its last bytes until one does.
        if (rebuild) {
            while (menu.Build(filter) == 0 && filter.len > 0) filter.Erase(-1, -1);
            rebuild = false;
        }
        if (selection >= menu.Count()) selection = menu.Count() - 1;
        menu.Highlight(selection);
        const DynString title = Title(filter);
        int breakCode = 0;
        const int result = Host.ShowMenu({.maxHeight = maxHeight,
                                          .flags = host::kMenuFlags,
                                          .title = title.buf,
                                          .bottom = Host.Text(host::kTextMenuBottom),
                                          .breakKeys = BreakKeyCodes(),
                                          .breakCode = &breakCode,
                                          .items = menu.Items(),
                                          .itemCount = menu.Count()});
        selection = result;
        if (breakCode == host::kNoBreakKey) {
            if (result < host::kCancelled) continue;
            // A position the menu did not show counts as a cancel.
            if (result >= 0 && result < menu.Count())
                chosen.Assign(HistoryList.Seek(menu.HistoryPosition(result)).current->text);
            return MenuEnd::Closed;
        }
        if (breakCode < 0 || breakCode >= kBreakKeyCount) return MenuEnd::Closed;
        const BreakKey &key = BreakKeyAt(breakCode);
        switch (key.effect) {
        case KeyEffect::AppendCharacter:
            filter.AppendChar(key.character);
            filter.ToLower();
            // Only the entries shown can hold the longer filter; a character
            // that leaves none is dropped, as a rebuild would drop it.
            if (menu.Narrow(filter) == 0) filter.Erase(-1, -1);
            break;
        case KeyEffect::Backspace:
            if (filter.len == 0) break;
            filter.Erase(-1, -1);
            rebuild = true;
            break;
        case KeyEffect::Purge: PurgeMissing(); return MenuEnd::Restart;
        case KeyEffect::Trim:
            TrimHistory();
            menu.TakeHistory();
            rebuild = true;
            break;
        }
        if (HistoryList.count == 0) return MenuEnd::Closed;
    }
}

}  // namespace

bool RunHistoryMenu() {
    RefreshHistory();
    if (HistoryList.count == 0) {
        ShowNotice(Host.Text(host::kTextEmptyHistory));
        return false;
    }
    DynString chosen;
    if (ShowUntilClosed(chosen) == MenuEnd::Restart) return true;
    // The menu's items are gone by now: opening raises the editor-opened
    // event, whose recording changes the history.
    if (chosen.len > 0) OpenInEditor(chosen.buf);
    return false;
}

QUORVEL_EXPORT void *QUORVEL_CALL OpenPlugin(int /*openFrom*/, std::intptr_t /*item*/) {
    RunExport([] {
        TakeUpWaiting();
        while (RunHistoryMenu()) {
        }
    });
    return reinterpret_cast<void *>(std::intptr_t{host::kNothingOpened});
}
