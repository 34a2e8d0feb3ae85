// The highlight and the scrolling of menus and lists.
#include "termhost/list_view.h"

#include <gtest/gtest.h>

#include "termhost/key_codes.h"

namespace termhost {
namespace {

ListView Move(const ListShape &shape, ListView view, ListMove move) {
    return MoveHighlight(shape, view, move);
}

TEST(ListView, TheLastItemHighlightedShowsTheEndOfTheList) {
    const ListShape shape{100, 10};
    const ListView view = InitialView(shape, 99);
    EXPECT_EQ(view.selected, 99);
    EXPECT_EQ(view.top, 90);
}

TEST(ListView, AListThatFitsNeverScrolls) {
    const ListShape shape{3, 10};
    ListView view = InitialView(shape, 2);
    EXPECT_EQ(view.top, 0);
    view = Move(shape, view, ListMove::PageDown);
    EXPECT_EQ(view.selected, 2);
    EXPECT_EQ(view.top, 0);
}

TEST(ListView, ScrollsOnlyWhenTheHighlightLeavesTheWindow) {
    const ListShape shape{50, 10};
    ListView view = InitialView(shape, 0);
    for (int i = 0; i < 9; ++i) view = Move(shape, view, ListMove::Down);
    EXPECT_EQ(view.selected, 9);
    EXPECT_EQ(view.top, 0);
    view = Move(shape, view, ListMove::Down);
    EXPECT_EQ(view.selected, 10);
    EXPECT_EQ(view.top, 1);
    view = Move(shape, view, ListMove::Up);
    EXPECT_EQ(view.top, 1);  // still visible: no scroll back
}

TEST(ListView, PagesHomeAndEndStayWithinTheList) {
    const ListShape shape{50, 10};
    ListView view = InitialView(shape, 0);
    view = Move(shape, view, ListMove::PageDown);
    EXPECT_EQ(view.selected, 9);
    EXPECT_EQ(view.top, 0);
    view = Move(shape, view, ListMove::PageDown);
    EXPECT_EQ(view.selected, 18);
    EXPECT_EQ(view.top, 9);
    view = Move(shape, view, ListMove::End);
    EXPECT_EQ(view.selected, 49);
    EXPECT_EQ(view.top, 40);
    view = Move(shape, view, ListMove::PageDown);
    EXPECT_EQ(view.selected, 49);
    view = Move(shape, view, ListMove::PageUp);
    EXPECT_EQ(view.selected, 40);
    EXPECT_EQ(view.top, 40);
    view = Move(shape, view, ListMove::Home);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.top, 0);
    view = Move(shape, view, ListMove::Up);
    EXPECT_EQ(view.selected, 0);
}

TEST(ListView, SeparatorsAreNeverHighlighted) {
    const std::vector<bool> separators = {true, false, true, true, false, true};
    const ListShape shape{6, 3, &separators};
    ListView view = InitialView(shape, 0);
    EXPECT_EQ(view.selected, 1);
    view = Move(shape, view, ListMove::Down);
    EXPECT_EQ(view.selected, 4);
    view = Move(shape, view, ListMove::Down);
    EXPECT_EQ(view.selected, 4);
    view = Move(shape, view, ListMove::End);
    EXPECT_EQ(view.selected, 4);
    view = Move(shape, view, ListMove::Home);
    EXPECT_EQ(view.selected, 1);
}

TEST(ListView, NothingToHighlight) {
    const ListShape empty{0, 5};
    EXPECT_EQ(InitialView(empty, 0).selected, -1);
    EXPECT_EQ(Move(empty, InitialView(empty, 0), ListMove::Down).selected, -1);
    const std::vector<bool> separators = {true, true};
    EXPECT_EQ(InitialView(ListShape{2, 5, &separators}, 0).selected, -1);
}

TEST(ListView, ASmallerWindowKeepsTheHighlightInView) {
    ListShape shape{50, 20};
    ListView view = InitialView(shape, 19);
    EXPECT_EQ(view.top, 0);
    shape.rows = 5;
    view = FitView(shape, view);
    EXPECT_EQ(view.selected, 19);
    EXPECT_EQ(view.top, 15);
}

TEST(ListView, AShorterListMovesTheHighlightToItsEnd) {
    const ListView view = FitView(ListShape{3, 10}, ListView{7, 0});
    EXPECT_EQ(view.selected, 2);
    EXPECT_EQ(view.top, 0);
}

TEST(ListView, TextScrollingStopsAtTheLastFullPage) {
    EXPECT_EQ(ScrollText(100, 10, 0, ListMove::End), 90);
    EXPECT_EQ(ScrollText(100, 10, 90, ListMove::Down), 90);
    EXPECT_EQ(ScrollText(100, 10, 0, ListMove::PageDown), 9);
    EXPECT_EQ(ScrollText(100, 10, 5, ListMove::PageUp), 0);
    EXPECT_EQ(ScrollText(5, 10, 0, ListMove::Down), 0);
}

TEST(ListView, ScrollThumbRunsFromFirstToLastCell) {
    EXPECT_EQ(ScrollThumb(100, 10, 0), 0);
    EXPECT_EQ(ScrollThumb(100, 10, 90), 9);
    EXPECT_EQ(ScrollThumb(100, 10, 45), 4);
    EXPECT_EQ(ScrollThumb(5, 10, 0), 0);
}

TEST(ListView, NavigationKeys) {
    EXPECT_EQ(MoveForKey(vk::kPageDown), ListMove::PageDown);
    EXPECT_EQ(MoveForKey(vk::kHome), ListMove::Home);
    EXPECT_EQ(MoveForKey(kShiftFlag | vk::kUp), std::nullopt);
    EXPECT_EQ(MoveForKey('A'), std::nullopt);
}

}  // namespace
}  // namespace termhost
