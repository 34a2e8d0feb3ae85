// The host's colours and text attributes, with plain attributes on a
// terminal without colours.
#pragma once

#include <curses.h>

namespace termhost {

void StartColours();

[[nodiscard]] attr_t DialogAttr();    // a menu's or a box's body and frame
[[nodiscard]] attr_t SelectedAttr();  // the highlighted item of a menu
[[nodiscard]] attr_t FieldAttr();     // an input field
[[nodiscard]] attr_t BarAttr();       // the title bar and the help line's labels
[[nodiscard]] attr_t NumberAttr();    // line numbers in a text view
[[nodiscard]] attr_t FolderAttr();    // folders in the file browser

}  // namespace termhost
