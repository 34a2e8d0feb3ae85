// Where a framed menu goes on the screen and how many items it shows.
#pragma once

#include "host/codes.h"

namespace termhost {

struct MenuMeasure {
    int itemCount = 0;
    int widestItem = 0;  // display columns of the widest item text
    int titleWidth = 0;
    int bottomWidth = 0;
    int maxHeight = 0;  // most items to show; 0 or less: as many as the screen holds
    int x = host::kHostChooses, y = host::kHostChooses;  // top-left corner wanted; below 0 centres
};

struct MenuLayout {
    int x = 0, y = 0, width = 0, height = 0;  // the frame
    int rows = 1;                             // items visible at a time
    int textWidth = 0;                        // columns for an item's text
};

// The menu's frame has a border row above (with the title) and below (with
// the bottom text); it never covers the help line at the foot of the screen.
[[nodiscard]] MenuLayout LayoutMenu(int screenCols, int screenRows, const MenuMeasure &menu);

}  // namespace termhost
