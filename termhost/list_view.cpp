// Highlight movement and scrolling, kept apart from drawing so that both can
// be checked without a terminal.
#include "termhost/list_view.h"

#include <algorithm>

#include "termhost/key_codes.h"

namespace termhost {
namespace {

bool Selectable(const ListShape &shape, int i) {
    if (i < 0 || i >= shape.count) return false;
    return shape.separators == nullptr || static_cast<std::size_t>(i) >= shape.separators->size() ||
           !(*shape.separators)[i];
}

// The item that can be highlighted nearest to `from`, looking first in the
// direction `step`, then the other way; -1 when there is none.
int Nearest(const ListShape &shape, int from, int step) {
    from = std::clamp(from, 0, std::max(0, shape.count - 1));
    for (int i = from; i >= 0 && i < shape.count; i += step)
        if (Selectable(shape, i)) return i;
    for (int i = from - step; i >= 0 && i < shape.count; i -= step)
        if (Selectable(shape, i)) return i;
    return -1;
}

int Rows(const ListShape &shape) { return std::max(1, shape.rows); }

int ClampTop(const ListShape &shape, int top) {
    return std::clamp(top, 0, std::max(0, shape.count - Rows(shape)));
}

int TopShowing(const ListShape &shape, int top, int selected) {
    if (selected >= 0) {
        if (selected < top) top = selected;
        if (selected >= top + Rows(shape)) top = selected - Rows(shape) + 1;
    }
    return ClampTop(shape, top);
}

}  // namespace

std::optional<ListMove> MoveForKey(int keyCode) {
    switch (keyCode) {
    case vk::kUp: return ListMove::Up;
    case vk::kDown: return ListMove::Down;
    case vk::kPageUp: return ListMove::PageUp;
    case vk::kPageDown: return ListMove::PageDown;
    case vk::kHome: return ListMove::Home;
    case vk::kEnd: return ListMove::End;
    default: return std::nullopt;
    }
}

ListView InitialView(const ListShape &shape, int preferred) {
    const int selected = Selectable(shape, preferred) ? preferred : Nearest(shape, 0, 1);
    return ListView{selected, TopShowing(shape, 0, selected)};
}

ListView MoveHighlight(const ListShape &shape, ListView view, ListMove move) {
    if (view.selected < 0) return FitView(shape, view);
    const int page = std::max(1, Rows(shape) - 1);
    int target = view.selected;
    switch (move) {
    case ListMove::Up:
        // Only a highlightable item above moves it; the top stays put.
        for (int i = view.selected - 1; i >= 0; --i)
            if (Selectable(shape, i)) {
                target = i;
                break;
            }
        break;
    case ListMove::Down:
        for (int i = view.selected + 1; i < shape.count; ++i)
            if (Selectable(shape, i)) {
                target = i;
                break;
            }
        break;
    case ListMove::PageUp: target = Nearest(shape, view.selected - page, -1); break;
    case ListMove::PageDown: target = Nearest(shape, view.selected + page, 1); break;
    case ListMove::Home: target = Nearest(shape, 0, 1); break;
    case ListMove::End: target = Nearest(shape, shape.count - 1, -1); break;
    }
    return ListView{target, TopShowing(shape, view.top, target)};
}

ListView FitView(const ListShape &shape, ListView view) {
    if (!Selectable(shape, view.selected)) view.selected = Nearest(shape, view.selected, -1);
    return ListView{view.selected, TopShowing(shape, view.top, view.selected)};
}

int ScrollText(int count, int rows, int top, ListMove move) {
    rows = std::max(1, rows);
    const int page = std::max(1, rows - 1);
    switch (move) {
    case ListMove::Up: --top; break;
    case ListMove::Down: ++top; break;
    case ListMove::PageUp: top -= page; break;
    case ListMove::PageDown: top += page; break;
    case ListMove::Home: top = 0; break;
    case ListMove::End: top = count; break;
    }
    return std::clamp(top, 0, std::max(0, count - rows));
}

int ScrollThumb(int count, int rows, int top) {
    if (rows <= 1 || count <= rows) return 0;
    const long long last = count - rows;  // the top that shows the end
    return static_cast<int>(std::clamp<long long>(top, 0, last) * (rows - 1) / last);
}

}  // namespace termhost
