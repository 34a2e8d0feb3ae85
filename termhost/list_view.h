// Movement through a list that shows a window of its rows: the highlight of
// a menu or the file browser, and the top line of a text view.
#pragma once

#include <optional>
#include <vector>

namespace termhost {

enum class ListMove { Up, Down, PageUp, PageDown, Home, End };

// The move a key code asks for; nullopt for any other key.
[[nodiscard]] std::optional<ListMove> MoveForKey(int keyCode);

struct ListView {
    int selected = -1;  // -1 when nothing can be highlighted
    int top = 0;        // first visible item
};

// A list of `count` items of which `rows` are visible at a time; items
// marked in `separators` (if given) cannot be highlighted.
struct ListShape {
    int count = 0;
    int rows = 1;
    const std::vector<bool> *separators = nullptr;
};

// The view that shows `preferred` highlighted (or the first item that can
// be), scrolled as little as needed from the top.
[[nodiscard]] ListView InitialView(const ListShape &shape, int preferred);

// The view after a move: the highlight moves, and the list scrolls only as
// far as needed to keep it visible.
[[nodiscard]] ListView MoveHighlight(const ListShape &shape, ListView view, ListMove move);

// Keeps the view valid after the shape changed (a resize, a shorter list).
[[nodiscard]] ListView FitView(const ListShape &shape, ListView view);

// The first visible line of a text view of `count` lines after a move.
[[nodiscard]] int ScrollText(int count, int rows, int top, ListMove move);

// Where a scroll bar of `rows` cells puts its thumb: the cell in 0..rows-1.
[[nodiscard]] int ScrollThumb(int count, int rows, int top);

}  // namespace termhost
