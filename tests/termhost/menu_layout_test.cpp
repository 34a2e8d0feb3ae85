// Where a menu goes and how many items it shows.
#include "termhost/menu_layout.h"

#include <gtest/gtest.h>

namespace termhost {
namespace {

MenuMeasure Items(int count, int widest, int maxHeight) {
    MenuMeasure menu;
    menu.itemCount = count;
    menu.widestItem = widest;
    menu.maxHeight = maxHeight;
    return menu;
}

TEST(MenuLayout, AHeightOfZeroOrLessFitsTheScreen) {
    for (const int maxHeight : {0, -1, -100}) {
        const MenuLayout layout = LayoutMenu(80, 25, Items(1000, 20, maxHeight));
        EXPECT_EQ(layout.rows, 21) << maxHeight;
        EXPECT_LE(layout.y + layout.height, 24) << "the help line stays free";
    }
}

TEST(MenuLayout, TheMaximumHeightLimitsTheRows) {
    EXPECT_EQ(LayoutMenu(80, 25, Items(1000, 20, 7)).rows, 7);
    EXPECT_EQ(LayoutMenu(80, 25, Items(3, 20, 7)).rows, 3);
    EXPECT_EQ(LayoutMenu(80, 25, Items(1000, 20, 500)).rows, 21);  // never beyond the screen
}

TEST(MenuLayout, CentredAndAsWideAsTheWidestText) {
    const MenuLayout layout = LayoutMenu(80, 25, Items(3, 30, 0));
    EXPECT_EQ(layout.textWidth, 30);
    EXPECT_EQ(layout.width, 36);
    EXPECT_EQ(layout.x, 22);
    EXPECT_EQ(layout.height, 5);
    EXPECT_EQ(layout.y, 9);
}

TEST(MenuLayout, TheTitleWidensTheFrame) {
    MenuMeasure menu = Items(1, 2, 0);
    menu.titleWidth = 40;
    EXPECT_EQ(LayoutMenu(80, 25, menu).width, 46);
}

TEST(MenuLayout, LongItemsAreCutAtTheScreensEdge) {
    const MenuLayout layout = LayoutMenu(80, 25, Items(1, 300, 0));
    EXPECT_EQ(layout.width, 78);
    EXPECT_EQ(layout.textWidth, 72);
    EXPECT_EQ(layout.x, 1);
}

TEST(MenuLayout, AGivenCornerIsKeptOnTheScreen) {
    MenuMeasure menu = Items(3, 10, 0);
    menu.x = 70;
    menu.y = 2;
    const MenuLayout layout = LayoutMenu(80, 25, menu);
    EXPECT_EQ(layout.x + layout.width, 80);
    EXPECT_EQ(layout.y, 2);
}

TEST(MenuLayout, ATinyScreenStillShowsOneRow) {
    const MenuLayout layout = LayoutMenu(10, 3, Items(50, 20, 0));
    EXPECT_EQ(layout.rows, 1);
    EXPECT_LE(layout.width, 10);
    EXPECT_GE(layout.x, 0);
}

}  // namespace
}  // namespace termhost
