// Frames, texts and the help line.
#include "termhost/draw.h"

#include <algorithm>
#include <string>

#include "termhost/text_width.h"
#include "termhost/theme.h"

namespace termhost {
namespace {

// A text in a border row, between blanks, centred on the box.
void PutBorderText(const Rect &box, int y, std::string_view text, attr_t attr) {
    if (text.empty() || box.width < 5) return;
    const std::string padded = Spaced(ShortenLeft(text, box.width - 4));
    const int width = DisplayWidth(padded);
    PutText(y, box.x + (box.width - width) / 2, padded, width, attr);
}

}  // namespace

std::string Spaced(std::string_view text) {
    // Appended piece by piece: GCC 12 at -O3 warns wrongly about
    // " " + std::string(...).
    std::string spaced;
    spaced.reserve(text.size() + 2);
    spaced += ' ';
    spaced += text;
    spaced += ' ';
    return spaced;
}

void PutText(int y, int x, std::string_view printable, int width, attr_t attr) {
    if (y < 0 || y >= LINES || x >= COLS || width <= 0) return;
    if (x < 0) {
        width += x;
        x = 0;
    }
    width = std::min(width, COLS - x);
    const std::size_t bytes = FitBytes(printable, width);
    attrset(attr);
    mvaddnstr(y, x, printable.data(), static_cast<int>(bytes));
    const int used = DisplayWidth(printable.substr(0, bytes));
    if (used < width) mvhline(y, x + used, static_cast<chtype>(' ') | attr, width - used);
    attrset(A_NORMAL);
}

void DrawFrame(const Rect &box, attr_t attr, std::string_view title, std::string_view bottom) {
    if (box.width < 2 || box.height < 2) return;
    const int right = box.x + box.width - 1, last = box.y + box.height - 1;
    for (int y = box.y + 1; y < last; ++y) PutText(y, box.x, "", box.width, attr);
    attrset(attr);
    mvhline(box.y, box.x + 1, ACS_HLINE, box.width - 2);
    mvhline(last, box.x + 1, ACS_HLINE, box.width - 2);
    mvvline(box.y + 1, box.x, ACS_VLINE, box.height - 2);
    mvvline(box.y + 1, right, ACS_VLINE, box.height - 2);
    mvaddch(box.y, box.x, ACS_ULCORNER);
    mvaddch(box.y, right, ACS_URCORNER);
    mvaddch(last, box.x, ACS_LLCORNER);
    mvaddch(last, right, ACS_LRCORNER);
    attrset(A_NORMAL);
    PutBorderText(box, box.y, title, attr);
    PutBorderText(box, last, bottom, attr);
}

void DrawFrameSeparator(const Rect &box, int y, attr_t attr) {
    attrset(attr);
    mvaddch(y, box.x, ACS_LTEE);
    mvhline(y, box.x + 1, ACS_HLINE, box.width - 2);
    mvaddch(y, box.x + box.width - 1, ACS_RTEE);
    attrset(A_NORMAL);
}

void DrawNotice(int y, std::string_view notice) {
    if (!notice.empty()) PutText(y, 0, Spaced(notice), COLS, BarAttr());
}

void DrawHelpLine(int y, std::span<const HelpKey> keys) {
    int x = 0;
    for (const HelpKey &key : keys) {
        const int keyWidth = DisplayWidth(key.key);
        const std::string label = Spaced(key.label);
        const int labelWidth = DisplayWidth(label);
        // Whole items only, the label's last blank aside: half an item
        // misleads. One too wide leaves room for the shorter ones after it.
        if (x + keyWidth + labelWidth - 1 > COLS) continue;
        PutText(y, x, key.key, keyWidth, A_BOLD);
        x += keyWidth;
        PutText(y, x, label, labelWidth, BarAttr());
        x += labelWidth;
        PutText(y, x++, " ", 1, A_NORMAL);
    }
    if (x < COLS) PutText(y, x, "", COLS - x, A_NORMAL);
}

}  // namespace termhost
