// Terminal keys must reach the menu as the key codes its break-key list
// names, or typing in the history menu does nothing (or the wrong thing).
#include "termhost/key_codes.h"

#include <gtest/gtest.h>

namespace termhost {
namespace {

int Char(int c) { return TranslateKey(TermKey::Char(c)); }

TEST(KeyCodes, LettersAreTheirKeyWhateverTheCase) {
    EXPECT_EQ(Char('a'), 65);
    EXPECT_EQ(Char('A'), 65);
    EXPECT_EQ(Char('z'), 90);
    EXPECT_EQ(Char('Z'), 90);
    EXPECT_EQ(Char('q'), 'Q');
}

TEST(KeyCodes, DigitsAndTheFilterPunctuation) {
    EXPECT_EQ(Char('0'), 48);
    EXPECT_EQ(Char('9'), 57);
    EXPECT_EQ(Char('.'), 190);
    EXPECT_EQ(Char('\\'), 220);
    EXPECT_EQ(Char('-'), 189);
    EXPECT_EQ(Char('_'), 0x400BD);  // Shift with minus, flag 4 in the high word
}

TEST(KeyCodes, ShiftedCharactersCarryTheShiftFlag) {
    EXPECT_EQ(Char('!'), kShiftFlag | '1');
    EXPECT_EQ(Char(')'), kShiftFlag | '0');
    EXPECT_EQ(Char('>'), kShiftFlag | 190);
    EXPECT_EQ(Char('|'), kShiftFlag | 220);
    EXPECT_EQ(Char('/'), 191);
    EXPECT_EQ(Char('?'), kShiftFlag | 191);
}

TEST(KeyCodes, ControlBytes) {
    EXPECT_EQ(Char(127), 8);  // Backspace, as most terminals send it
    EXPECT_EQ(Char(8), 8);
    EXPECT_EQ(Char('\r'), 13);
    EXPECT_EQ(Char('\n'), 13);
    EXPECT_EQ(Char(27), 27);
    EXPECT_EQ(Char(9), 9);
    EXPECT_EQ(Char(1), kCtrlFlag | 'A');
    EXPECT_EQ(Char(31), kCtrlFlag | 0x400BD);  // Ctrl with underscore
}

TEST(KeyCodes, CharactersBeyondTheKeyboardHaveNoCode) {
    EXPECT_EQ(Char(0xE9), 0);
    EXPECT_EQ(Char(0x20AC), 0);
}

TEST(KeyCodes, NamedKeys) {
    EXPECT_EQ(TranslateKey(TermKey::Named(NamedKey::Delete)), 46);
    EXPECT_EQ(TranslateKey(TermKey::Named(NamedKey::Backspace)), 8);
    EXPECT_EQ(TranslateKey(TermKey::Named(NamedKey::Up)), 38);
    EXPECT_EQ(TranslateKey(TermKey::Named(NamedKey::PageDown)), 34);
    EXPECT_EQ(TranslateKey(TermKey::Named(NamedKey::Home, kShiftFlag)), kShiftFlag | 36);
}

TEST(KeyCodes, FunctionKeysAndTheirModifiedNumbers) {
    EXPECT_EQ(TranslateKey(TermKey::Function(5)), 116);
    EXPECT_EQ(TranslateKey(TermKey::Function(12)), 123);
    EXPECT_EQ(TranslateKey(TermKey::Function(17)), kShiftFlag | 116);  // Shift+F5
    EXPECT_EQ(TranslateKey(TermKey::Function(29)), kCtrlFlag | 116);   // Ctrl+F5
    EXPECT_EQ(TranslateKey(TermKey::Function(53)), kAltFlag | 116);    // Alt+F5
    EXPECT_EQ(TranslateKey(TermKey::Function(73)), 0);
}

TEST(KeyCodes, KeypadKeysAreApartFromTheMainKeys) {
    EXPECT_EQ(TranslateKey(TermKey::Keypad('0')), 96);
    EXPECT_EQ(TranslateKey(TermKey::Keypad('5')), 101);
    EXPECT_EQ(TranslateKey(TermKey::Keypad('9')), 105);
    EXPECT_EQ(TranslateKey(TermKey::Keypad('/')), 111);
    EXPECT_EQ(TranslateKey(TermKey::Keypad('\r')), 13);
    EXPECT_EQ(TranslateKey(TermKey::Keypad('x')), 0);
}

TEST(KeyCodes, AltIsAddedToTheKeysCode) {
    EXPECT_EQ(TranslateKey(TermKey::Char('x', kAltFlag)), kAltFlag | 'X');
    EXPECT_EQ(TranslateKey(TermKey::Char('_', kAltFlag)), kAltFlag | 0x400BD);
}

TEST(KeyCodes, ExtendedTerminfoNames) {
    const TermKey ctrlUp = KeyFromExtendedName("kUP5");
    EXPECT_EQ(TranslateKey(ctrlUp), kCtrlFlag | 38);
    EXPECT_EQ(TranslateKey(KeyFromExtendedName("kDC3")), kAltFlag | 46);
    EXPECT_EQ(TranslateKey(KeyFromExtendedName("kRIT6")), kCtrlFlag | kShiftFlag | 39);
    EXPECT_EQ(TranslateKey(KeyFromExtendedName("kDN")), kShiftFlag | 40);
    EXPECT_EQ(KeyFromExtendedName("kUP9").kind, TermKey::Kind::None);
    EXPECT_EQ(KeyFromExtendedName("kxIN").kind, TermKey::Kind::None);
}

}  // namespace
}  // namespace termhost
