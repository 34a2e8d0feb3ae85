// Drawing primitives on the ncurses screen. Texts passed here are already
// printable (see text_width.h); everything is clipped to the screen.
#pragma once

#include <curses.h>

#include <span>
#include <string>
#include <string_view>

namespace termhost {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The text at row y from column x, cut to `width` columns and padded with
// blanks up to it.
void PutText(int y, int x, std::string_view printable, int width, attr_t attr);

// A filled box with a border; the title is centred in the top border and
// the bottom text in the bottom one.
void DrawFrame(const Rect &box, attr_t attr, std::string_view title = {},
               std::string_view bottom = {});

// A border row across a frame's inside, joined to its sides.
void DrawFrameSeparator(const Rect &box, int y, attr_t attr);

// The text between two blanks.
[[nodiscard]] std::string Spaced(std::string_view text);

// A notice in the help line's place, over the whole row; none when empty.
void DrawNotice(int y, std::string_view notice);

// One key of the help line: the key's name and what it does.
struct HelpKey {
    std::string_view key;
    std::string_view label;
};
// The keys in their order, each whole or not at all: those that fit the
// screen's width, a shorter one after a longer one left out included.
void DrawHelpLine(int y, std::span<const HelpKey> keys);

}  // namespace termhost
