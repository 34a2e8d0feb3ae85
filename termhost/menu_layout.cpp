// Menu geometry, kept free of drawing so that it can be checked on its own.
#include "termhost/menu_layout.h"

#include <algorithm>

namespace termhost {
namespace {

constexpr int kFrameRows = 2;    // the borders above and below the items
constexpr int kFreeRows = 2;     // the help line, and one row to spare above it
constexpr int kItemPadding = 4;  // a blank and a mark column on the left, blanks on the right
constexpr int kMinTextWidth = 12;

int Place(int wanted, int size, int room) {
    if (wanted < 0) return std::max(0, (room - size) / 2);
    return std::clamp(wanted, 0, std::max(0, room - size));
}

}  // namespace

MenuLayout LayoutMenu(int screenCols, int screenRows, const MenuMeasure &menu) {
    MenuLayout layout;
    const int room = std::max(1, screenRows - kFrameRows - kFreeRows);
    layout.rows = std::max(1, menu.itemCount);
    if (menu.maxHeight > 0) layout.rows = std::min(layout.rows, menu.maxHeight);
    layout.rows = std::min(layout.rows, room);

    // The title and the bottom text sit in the borders, with a blank on each
    // side and a corner beyond.
    const int inner = std::max({menu.widestItem + kItemPadding, menu.titleWidth + 4,
                                menu.bottomWidth + 4, kMinTextWidth + kItemPadding});
    layout.width = std::max(std::min(inner + 2, screenCols - 2), std::min(screenCols, 6));
    layout.textWidth = std::max(0, layout.width - 2 - kItemPadding);
    layout.height = layout.rows + kFrameRows;
    layout.x = Place(menu.x, layout.width, screenCols);
    layout.y = Place(menu.y, layout.height, screenRows - 1);
    return layout;
}

}  // namespace termhost
