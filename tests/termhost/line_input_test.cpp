// The input box's text: what the plug-in receives must fit destSize - 1
// bytes, made of whole characters.
#include "termhost/line_input.h"

#include <gtest/gtest.h>

#include "utf8_locale.h"

namespace termhost {
namespace {

TEST(LineInput, TheFirstCharacterTypedReplacesTheInitialText) {
    LineInput input("100", 31);
    EXPECT_TRUE(input.Selected());
    EXPECT_TRUE(input.Type("1"));
    EXPECT_EQ(input.Text(), "1");
    EXPECT_TRUE(input.Type("2"));
    EXPECT_EQ(input.Text(), "12");
}

TEST(LineInput, MovingKeepsTheInitialText) {
    LineInput input("100", 31);
    input.Home();
    input.Type("5");
    EXPECT_EQ(input.Text(), "5100");
    input.End();
    input.EraseBack();
    EXPECT_EQ(input.Text(), "510");
    input.Home();
    input.EraseForward();
    EXPECT_EQ(input.Text(), "10");
}

TEST(LineInput, ErasingTheSelectedTextErasesAllOfIt) {
    LineInput input("100", 31);
    input.EraseBack();
    EXPECT_EQ(input.Text(), "");
    input.EraseBack();
    EXPECT_EQ(input.Text(), "");
}

TEST(LineInput, TheLimitHoldsWhileTyping) {
    LineInput input("", 3);
    EXPECT_TRUE(input.Type("a"));
    EXPECT_TRUE(input.Type("b"));
    EXPECT_TRUE(input.Type("c"));
    EXPECT_FALSE(input.Type("d"));
    EXPECT_EQ(input.Text(), "abc");
    LineInput none("", 0);
    EXPECT_FALSE(none.Type("a"));
    EXPECT_EQ(none.Text(), "");
}

TEST(LineInput, AnInitialTextBeyondTheLimitIsCut) {
    LineInput input("123456", 4);
    EXPECT_EQ(input.Text(), "1234");
    EXPECT_EQ(input.Cursor(), 4u);
}

using Utf8LineInput = Utf8LocaleTest;

TEST_F(Utf8LineInput, ACharacterThatDoesNotFitWholeIsRefused) {
    LineInput input("ab", 3);
    input.End();
    EXPECT_FALSE(input.Type("\xC3\xA9"));  // é takes two bytes
    EXPECT_EQ(input.Text(), "ab");
    LineInput cut("a\xC3\xA9", 2);
    EXPECT_EQ(cut.Text(), "a");
}

TEST_F(Utf8LineInput, EditingMovesOverWholeCharacters) {
    LineInput input(
        "x\xE2\x82\xAC"
        "y",
        31);  // x€y
    input.End();
    input.Left();
    input.Left();
    EXPECT_EQ(input.Cursor(), 1u);
    input.EraseForward();
    EXPECT_EQ(input.Text(), "xy");
    input.End();
    input.Type("\xE2\x82\xAC");
    input.EraseBack();
    EXPECT_EQ(input.Text(), "xy");
}

}  // namespace
}  // namespace termhost
