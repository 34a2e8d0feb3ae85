// A path cut to fit must keep its end, the file name, and a name cut on the
// right its start; both say that they were cut. A cut must never split a
// character or overrun the columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <string>

#include "termhost/text_width.h"
#include "utf8_locale.h"

namespace termhost {
namespace {

using ShortenUtf8 = Utf8LocaleTest;

TEST_F(ShortenUtf8, LeftKeepsTheEndBehindAnEllipsis) {
    struct Case {
        const char *text;
        int columns;
        const char *shortened;
    };
    const Case cases[] = {
        {"/a/deep/deep file.txt", 21, "/a/deep/deep file.txt"},  // fits: unchanged
        {"/a/deep/deep file.txt", 20, "\u2026/deep/deep file.txt"},
        {"/a/deep/deep file.txt", 14, "\u2026deep file.txt"},
        {"/a/deep/deep file.txt", 2, "\u2026t"},
        {"/a/deep/deep file.txt", 1, "t"},  // no room for the mark: the end alone
        {"/a/deep/deep file.txt", 0, ""},
        {"/\u6587\u4ef6/\u6587.txt", 7, "\u2026\u6587.txt"},
        {"/\u6587\u4ef6/\u6587.txt", 9, "\u2026/\u6587.txt"},  // a wide character stays whole
    };
    for (const Case &c : cases) {
        const std::string shortened = ShortenLeft(c.text, c.columns);
        EXPECT_EQ(shortened, c.shortened) << c.text << " in " << c.columns;
        EXPECT_LE(DisplayWidth(shortened), std::max(0, c.columns)) << c.text;
    }
}

TEST_F(ShortenUtf8, RightKeepsTheStartBeforeAnEllipsis) {
    struct Case {
        const char *text;
        int columns;
        const char *shortened;
    };
    const Case cases[] = {
        {"long name.txt", 13, "long name.txt"},  // fits: unchanged
        {"long name.txt", 12, "long name.t\u2026"},
        {"long name.txt", 1, "l"},  // no room for the mark: the start alone
        {"long name.txt", 0, ""},
        {"\u6587\u4ef6\u540d.txt", 6, "\u6587\u4ef6\u2026"},
        {"\u6587\u4ef6\u540d.txt", 4, "\u6587\u2026"},  // a wide character stays whole
    };
    for (const Case &c : cases) {
        const std::string shortened = ShortenRight(c.text, c.columns);
        EXPECT_EQ(shortened, c.shortened) << c.text << " in " << c.columns;
        EXPECT_LE(DisplayWidth(shortened), std::max(0, c.columns)) << c.text;
    }
}

TEST(ShortenWithoutUtf8, TheMarkIsPlainDots) {
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(ShortenLeft("/a/deep/file.txt", 12), ".../file.txt");
}

}  // namespace
}  // namespace termhost
