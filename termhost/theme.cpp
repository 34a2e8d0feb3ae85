// Colour pairs: light text on blue for menus and boxes, as hosts of this
// kind draw them; reverse video marks every highlight, so it shows in black
// and white too.
#include "termhost/theme.h"

namespace termhost {
namespace {

enum Pair : short { kDialog = 1, kField, kBar, kNumber, kFolder };
bool colours = false;

attr_t Colour(short pair) { return colours ? COLOR_PAIR(pair) : A_NORMAL; }

}  // namespace

void StartColours() {
    if (!has_colors() || start_color() == ERR) return;
    use_default_colors();
    colours = true;
    init_pair(kDialog, COLOR_WHITE, COLOR_BLUE);
    init_pair(kField, COLOR_BLACK, COLOR_CYAN);
    init_pair(kBar, COLOR_BLACK, COLOR_CYAN);
    init_pair(kNumber, COLOR_YELLOW, -1);
    init_pair(kFolder, COLOR_CYAN, -1);
}

attr_t DialogAttr() { return Colour(kDialog); }
attr_t SelectedAttr() { return Colour(kDialog) | A_REVERSE; }
attr_t FieldAttr() { return colours ? Colour(kField) : A_UNDERLINE; }
attr_t BarAttr() { return colours ? Colour(kBar) : A_REVERSE; }
attr_t NumberAttr() { return colours ? Colour(kNumber) : A_DIM; }
attr_t FolderAttr() { return Colour(kFolder) | A_BOLD; }

}  // namespace termhost
