// The menu, the message box and the input box.
#include "termhost/dialogs.h"

#include <algorithm>
#include <string>
#include <utility>

#include "host/codes.h"
#include "termhost/crash_guard.h"
#include "termhost/line_input.h"
#include "termhost/list_view.h"
#include "termhost/menu_layout.h"
#include "termhost/text_width.h"
#include "termhost/theme.h"

namespace termhost {
namespace {

constexpr HelpKey kMessageHelp[] = {
    {"Left Right", "Button"}, {"Enter", "Choose"}, {"Esc", "Close"}};
constexpr HelpKey kPromptHelp[] = {{"Enter", "Confirm"}, {"Esc", "Cancel"}};

// Columns from a box's side to its text: the border and a blank.
constexpr int kInset = 2;
// Rows a box adds to its text: the top and bottom borders.
constexpr int kFrameRows = 2;
// Rows the buttons take: a separator and their own row.
constexpr int kButtonRows = 2;
// The narrowest message box's text, so that a short one still reads as a box.
constexpr int kMinMessageWidth = 20;
// What a button adds to its label: "[ " and " ]", and the gap to the next.
constexpr int kButtonGap = 2;
constexpr int kButtonExtra = 4 + kButtonGap;
// An input box's width when its title and prompt need no more.
constexpr int kPromptWidth = 50;

// Centred above the help line; a box as high as the screen covers it.
Rect Centred(int width, int height) {
    width = std::min(width, COLS);
    height = std::min(height, std::max(1, LINES));
    return Rect{std::max(0, (COLS - width) / 2), std::max(0, (LINES - 1 - height) / 2), width,
                height};
}

// The menu's texts, measured once per call; only visible rows are drawn.
struct MenuTexts {
    std::string title, bottom;
    std::vector<bool> separators;  // up to the last separator only
    int widest = 0;
};

void DrawMenu(const hostsim::MenuCall &call, const MenuTexts &texts, const MenuLayout &layout,
              const ListView &view) {
    const Rect box{layout.x, layout.y, layout.width, layout.height};
    DrawFrame(box, DialogAttr(), texts.title, texts.bottom);
    const int count = static_cast<int>(call.items.size());
    for (int row = 0; row < layout.rows && view.top + row < count; ++row) {
        const int i = view.top + row;
        const int y = box.y + 1 + row;
        const hostsim::MenuItem item = call.items[i];
        if (item.separator != 0) {
            DrawFrameSeparator(box, y, DialogAttr());
            continue;
        }
        std::string line = item.checked != 0 ? " * " : "   ";
        line += ShortenLeft(Printable(item.text), layout.textWidth);
        PutText(y, box.x + 1, line, box.width - 2,
                i == view.selected ? SelectedAttr() : DialogAttr());
    }
    if (count > layout.rows) {
        const int thumb = ScrollThumb(count, layout.rows, view.top);
        attrset(DialogAttr());
        for (int row = 0; row < layout.rows; ++row)
            mvaddch(box.y + 1 + row, box.x + box.width - 1, row == thumb ? ACS_BLOCK : ACS_CKBOARD);
        attrset(A_NORMAL);
    }
}

// Shows the cursor while an input box is open.
class VisibleCursor {
public:
    VisibleCursor() { curs_set(1); }
    ~VisibleCursor() { curs_set(0); }
    VisibleCursor(const VisibleCursor &) = delete;
    VisibleCursor &operator=(const VisibleCursor &) = delete;
};

bool Plain(const TermKey &key) { return (key.modifiers & (kCtrlFlag | kAltFlag)) == 0; }

// The key's index in the menu's break keys, or -1.
int BreakIndex(const hostsim::MenuCall &call, int code) {
    const auto key = std::find(call.breakKeys.begin(), call.breakKeys.end(), code);
    return code == 0 || key == call.breakKeys.end()
               ? -1
               : static_cast<int>(key - call.breakKeys.begin());
}

// Whether the menu takes typed letters, as the history menu takes them into
// its filter.
bool TakesLetters(const hostsim::MenuCall &call) {
    return std::any_of(call.breakKeys.begin(), call.breakKeys.end(),
                       [](int code) { return code >= 'A' && code <= 'Z'; });
}

// The history menu's trim and purge keys, after which the host tells what went.
bool RemovesEntries(int code) { return code == vk::kDelete || code == vk::kF5; }

// The menu's keys, the history menu's own among them, the keys that matter
// most first: a narrow screen shows the first few.
std::vector<HelpKey> MenuHelp(const hostsim::MenuCall &call) {
    std::vector<HelpKey> help = {{"Enter", "Choose"}, {"Esc", "Cancel"}};
    if (TakesLetters(call)) help.push_back({"Type", "Filter"});
    if (BreakIndex(call, vk::kDelete) >= 0) help.push_back({"Del", "Trim"});
    if (BreakIndex(call, vk::kF5) >= 0) help.push_back({"F5", "Purge"});
    help.push_back({"Up Down PgUp PgDn Home End", "Move"});
    return help;
}

// Said in the help line when a key does nothing in a menu, so that a key
// the menu refuses is not taken for a key that went unnoticed.
std::string UnusedKeyNotice(const Input &input, bool filtering) {
    if (input.text.empty()) return "That key does nothing here";
    // Appended piece by piece: GCC 12 at -O3 warns wrongly about "x" + std::string.
    std::string notice = "\"";
    notice += Printable(input.text);
    notice += '"';
    if (input.text == " ") notice = "Space";
    notice += filtering ? " is not a filter key" : " does nothing here";
    return notice;
}

// Said when a break key came back as the same menu: the plug-in dropped it,
// as the history menu drops a character that no entry holds.
std::string RefusedKeyNotice(const Input &input) {
    std::string typed = input.text;
    if (typed.empty() && input.key.kind == TermKey::Kind::Keypad && input.key.value != '\r')
        typed = static_cast<char>(input.key.value);
    if (typed.empty()) return "That key changed nothing";
    std::string notice = "no entry holds ";
    notice += Ellipsis();
    notice += Printable(typed);
    return notice;
}

}  // namespace

std::string TerminalFrontend::TakeRefusal(const hostsim::MenuCall &call) {
    const std::optional<BreakKeyTaken> last = std::exchange(lastBreak_, std::nullopt);
    if (!last || last->inputs != terminal_.InputsRead() || last->title != call.title.value_or("") ||
        last->itemCount != call.items.size())
        return {};
    return last->refusal;
}

TerminalFrontend::TerminalFrontend(Terminal &terminal, Backdrop backdrop)
    : terminal_(terminal), backdrop_(std::move(backdrop)) {}

hostsim::MenuAnswer TerminalFrontend::ShowMenu(const hostsim::MenuCall &call) {
    crash_guard::HostCode host;
    MenuTexts texts;
    texts.title = Printable(call.title.value_or(""));
    texts.bottom = Printable(call.bottom.value_or(""));
    // The one pass over every item: the widest, the separators, the
    // highlight. Nothing else is done for an item that is not drawn.
    int preferred = -1;  // the first item marked selected
    for (std::size_t i = 0; i < call.items.size(); ++i) {
        const hostsim::MenuItem item = call.items[i];
        if (item.separator != 0) {
            texts.separators.resize(i + 1);  // items beyond it are no separators
            texts.separators[i] = true;
            continue;
        }
        // No character is wider than its bytes: a text no longer than the
        // widest so far need not be measured.
        if (static_cast<int>(item.text.size()) > texts.widest)
            texts.widest = std::max(texts.widest, DisplayWidth(item.text));
        if (item.selected != 0 && preferred < 0) preferred = static_cast<int>(i);
    }

    const MenuMeasure measure{.itemCount = static_cast<int>(call.items.size()),
                              .widestItem = texts.widest,
                              .titleWidth = DisplayWidth(texts.title),
                              .bottomWidth = DisplayWidth(texts.bottom),
                              .maxHeight = call.maxHeight,
                              .x = call.x,
                              .y = call.y};
    MenuLayout layout = LayoutMenu(COLS, LINES, measure);
    ListShape shape{measure.itemCount, layout.rows, &texts.separators};
    ListView view = InitialView(shape, preferred);
    const std::vector<HelpKey> help = MenuHelp(call);
    std::string notice = TakeRefusal(call);
    if (notice.empty()) notice = TakeRemovalNotice();
    // A key left unused is told of again when the plug-in then refuses a
    // key: "my n" typed at once is refused at its "n", for want of the space.
    std::string unused;
    while (!interrupted_) {
        layout = LayoutMenu(COLS, LINES, measure);
        shape.rows = layout.rows;
        view = FitView(shape, view);
        backdrop_(help);
        DrawMenu(call, texts, layout, view);
        DrawNotice(LINES - 1, notice);
        refresh();

        const Input input = terminal_.ReadKey();
        if (input.resized) continue;
        notice.clear();
        const int code = TranslateKey(input.key);
        int breakIndex = BreakIndex(call, code);
        // A character the menu takes from the keypad only, such as '/' in
        // the history filter, counts from the main keys too.
        if (breakIndex < 0) breakIndex = BreakIndex(call, KeypadTwin(code));
        if (breakIndex >= 0 && RemovesEntries(code) && readHistory) {
            removalFrom_ = readHistory();
            return {view.selected, breakIndex};
        }
        if (breakIndex >= 0) {
            std::string refusal = RefusedKeyNotice(input);
            if (!unused.empty()) refusal = unused + "; " + refusal;
            lastBreak_ = BreakKeyTaken{terminal_.InputsRead(), call.title.value_or(""),
                                       call.items.size(), std::move(refusal)};
            return {view.selected, breakIndex};
        }
        if (code == kInterruptKey) {
            interrupted_ = true;
            break;
        }
        if (code == vk::kReturn) return {view.selected, host::kNoBreakKey};
        if (code == vk::kEscape) return {host::kCancelled, host::kNoBreakKey};
        if (const auto move = MoveForKey(code))
            view = MoveHighlight(shape, view, *move);
        else
            notice = unused = UnusedKeyNotice(input, TakesLetters(call));
    }
    return {host::kCancelled, host::kNoBreakKey};
}

int TerminalFrontend::ShowMessage(const hostsim::MessageCall &call) {
    crash_guard::HostCode host;
    std::vector<std::string> lines;
    for (const std::string &line : call.lines) lines.push_back(Printable(line));
    const int count = static_cast<int>(lines.size());
    const int buttons = std::clamp(call.buttonCount, 0, std::max(0, count - 1));
    const std::string title = count > 0 ? lines[0] : std::string();
    const int bodyEnd = count - buttons;

    int widest = DisplayWidth(Spaced(title));
    for (int i = 1; i < bodyEnd; ++i) widest = std::max(widest, DisplayWidth(lines[i]));
    int buttonsWidth = 0;
    for (int i = bodyEnd; i < count; ++i) buttonsWidth += DisplayWidth(lines[i]) + kButtonExtra;
    widest = std::max({widest, buttonsWidth, kMinMessageWidth});

    int chosen = 0;
    while (!interrupted_) {
        // The help line stays in sight below the box, unless the box would
        // then show no text. Short of rows, the last lines stay: a question
        // comes last.
        const int buttonRows = buttons ? kButtonRows : 0;
        const int bodyLines = bodyEnd - 1;
        const int room = LINES - kFrameRows - buttonRows;
        int bodyRows = std::clamp(bodyLines, 0, std::max(0, room - 1));
        if (bodyRows == 0 && bodyLines > 0 && room > 0) bodyRows = 1;  // over the help line
        const int firstLine = bodyEnd - bodyRows;
        // A blank more on each side than the inset, so the text never touches it.
        const Rect box = Centred(widest + 2 * kInset + 2, bodyRows + kFrameRows + buttonRows);
        backdrop_(kMessageHelp);
        DrawFrame(box, DialogAttr(), title);
        for (int row = 0; row < bodyRows; ++row) {
            const int inner = box.width - 2 * kInset;
            // Cut from the left: a path keeps its name.
            const std::string line = ShortenLeft(lines[firstLine + row], inner);
            const int indent = std::max(0, (inner - DisplayWidth(line)) / 2);
            PutText(box.y + 1 + row, box.x + kInset + indent, line, inner - indent, DialogAttr());
        }
        if (buttons > 0) {
            const int y = box.y + 2 + bodyRows;
            DrawFrameSeparator(box, y - 1, DialogAttr());
            int x = box.x + (box.width - buttonsWidth + kButtonGap) / 2;  // no gap after the last
            for (int b = 0; b < buttons; ++b) {
                const std::string label = "[ " + lines[bodyEnd + b] + " ]";
                const int width = DisplayWidth(label);
                PutText(y, x, label, width, b == chosen ? SelectedAttr() : DialogAttr());
                x += width + kButtonGap;
            }
        }
        refresh();
        if (buttons == 0) return host::kNoButton;  // a box without buttons waits for nothing

        const Input input = terminal_.ReadKey();
        if (input.resized) continue;
        const int code = TranslateKey(input.key);
        if (code == kInterruptKey) {
            interrupted_ = true;
            break;
        }
        if (code == vk::kReturn) return chosen;
        if (code == vk::kEscape) return host::kNoButton;
        if (code == vk::kLeft || code == (kShiftFlag | vk::kTab))
            chosen = (chosen + buttons - 1) % buttons;
        if (code == vk::kRight || code == vk::kTab) chosen = (chosen + 1) % buttons;
        // A letter chooses the button that starts with it.
        for (int b = 0; b < buttons && code >= 'A' && code <= 'Z'; ++b) {
            const std::string &label = lines[bodyEnd + b];
            // Clearing 0x20 makes an ASCII letter a capital.
            if (!label.empty() && (label[0] & ~0x20) == code) return b;
        }
    }
    return host::kNoButton;
}

hostsim::PromptAnswer TerminalFrontend::PromptInput(const hostsim::PromptCall &call) {
    crash_guard::HostCode host;
    VisibleCursor cursor;
    LineInput input(call.initialText.value_or(""),
                    call.destSize > 0 ? static_cast<std::size_t>(call.destSize) - 1 : 0);
    const std::string title = Printable(call.title.value_or(""));
    const std::string prompt = Printable(call.prompt.value_or(""));
    std::size_t start = 0;  // the first byte the field shows
    while (!interrupted_) {
        // The title sits between blanks and corners; the prompt, like the
        // field, within the inset and a blank to spare.
        const int wanted = std::max(
            {kPromptWidth, DisplayWidth(title) + 8, DisplayWidth(prompt) + 2 * kInset + 2});
        const Rect box = Centred(std::min(wanted, COLS - 2), kFrameRows + 2);  // prompt, field
        const int fieldWidth = std::max(1, box.width - 2 * kInset);
        const std::string &text = input.Text();
        // Scrolls the field so that the cursor stays inside it.
        start = std::min(start, input.Cursor());
        const auto widthToCursor = [&](std::size_t from) {
            return DisplayWidth(
                Printable(std::string_view(text).substr(from, input.Cursor() - from)));
        };
        while (start < input.Cursor() && widthToCursor(start) >= fieldWidth)
            start += CharBytes(text, start);

        backdrop_(kPromptHelp);
        DrawFrame(box, DialogAttr(), title);
        PutText(box.y + 1, box.x + kInset, prompt, box.width - 2 * kInset, DialogAttr());
        const attr_t field = input.Selected() ? FieldAttr() | A_REVERSE : FieldAttr();
        PutText(box.y + 2, box.x + kInset, Printable(std::string_view(text).substr(start)),
                fieldWidth, field);
        move(box.y + 2, box.x + kInset + std::min(widthToCursor(start), fieldWidth - 1));
        refresh();

        const Input key = terminal_.ReadKey();
        if (key.resized) continue;
        if (!key.text.empty() && Plain(key.key)) {
            if (!input.Type(key.text)) beep();  // the answer is full
            continue;
        }
        switch (TranslateKey(key.key)) {
        case kInterruptKey: interrupted_ = true; break;
        case vk::kReturn: return {true, input.Text()};
        case vk::kEscape: return {false, {}};
        case vk::kBackspace: input.EraseBack(); break;
        case vk::kDelete: input.EraseForward(); break;
        case vk::kLeft: input.Left(); break;
        case vk::kRight: input.Right(); break;
        case vk::kHome: input.Home(); break;
        case vk::kEnd: input.End(); break;
        default: break;
        }
    }
    return {false, {}};
}

bool TerminalFrontend::EditorMayOpen(const std::string &fileName) {
    crash_guard::HostCode host;
    return !onEditorOpening || onEditorOpening(fileName);
}

std::string TerminalFrontend::TakeRemovalNotice() {
    const std::optional<HistoryState> before = std::exchange(removalFrom_, std::nullopt);
    return before ? EntriesGone(*before, readHistory()) : std::string();
}

bool TerminalFrontend::TakeInterrupt() { return std::exchange(interrupted_, false); }

void TerminalFrontend::WindowsChanged() {
    crash_guard::HostCode host;
    if (onWindowsChanged) onWindowsChanged();
}

}  // namespace termhost
