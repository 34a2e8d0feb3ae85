// A path cut to fit must keep its end, the file name, and a name cut on the
// right its start; both say that they were cut. A cut must never split a
// character or overrun the columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <string>
#include <string_view>

#include "termhost/text_width.h"
#include "utf8_locale.h"

namespace termhost {
namespace {

using ShortenUtf8 = Utf8LocaleTest;

TEST_F(ShortenUtf8, KeepsOneEndBesideAnEllipsis) {
    constexpr auto kLeft = &ShortenLeft;
    constexpr auto kRight = &ShortenRight;
    struct Case {
        std::string (*shorten)(std::string_view, int);
        const char *text;
        int columns;
        const char *shortened;
    };
    const Case cases[] = {
        {kLeft, "/a/deep/deep file.txt", 21, "/a/deep/deep file.txt"},  // fits: unchanged
        {kLeft, "/a/deep/deep file.txt", 20, "\u2026/deep/deep file.txt"},
        {kLeft, "/a/deep/deep file.txt", 14, "\u2026deep file.txt"},
        {kLeft, "/a/deep/deep file.txt", 2, "\u2026t"},
        {kLeft, "/a/deep/deep file.txt", 1, "t"},  // no room for the mark: the end alone
        {kLeft, "/a/deep/deep file.txt", 0, ""},
        {kLeft, "/\u6587\u4ef6/\u6587.txt", 7, "\u2026\u6587.txt"},
        {kLeft, "/\u6587\u4ef6/\u6587.txt", 9,
         "\u2026/\u6587.txt"},  // a wide character stays whole
        {kRight, "long name.txt", 13, "long name.txt"},
        {kRight, "long name.txt", 12, "long name.t\u2026"},
        {kRight, "long name.txt", 1, "l"},  // the start alone
        {kRight, "long name.txt", 0, ""},
        {kRight, "\u6587\u4ef6\u540d.txt", 6, "\u6587\u4ef6\u2026"},
        {kRight, "\u6587\u4ef6\u540d.txt", 4, "\u6587\u2026"},
    };
    for (const Case &c : cases) {
        const std::string shortened = c.shorten(c.text, c.columns);
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
