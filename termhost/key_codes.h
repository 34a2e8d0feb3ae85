// Keys as the terminal reports them, and their translation into the key
// codes of the host's menus (host/keys.h).
#pragma once

#include <string_view>

#include "host/keys.h"

namespace termhost {

// The host's key vocabulary, by its short names.
using host::kAltFlag;
using host::kCtrlFlag;
using host::kShiftFlag;
namespace vk = host::vk;

enum class NamedKey {
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    PageUp,
    PageDown,
    Insert,
    Delete,
    Backspace,
    Enter,
    Escape,
    Tab,
};

// One key press as the terminal tells it.
struct TermKey {
    enum class Kind { None, Char, Named, Function, Keypad };
    Kind kind = Kind::None;
    // Char: the character's code point (control bytes included); Named: a
    // NamedKey; Function: its number (F13 and up are modified F1..F12, as
    // terminfo counts them); Keypad: the key's character, '\r' for Enter.
    int value = 0;
    int modifiers = 0;  // flags the terminal reported apart from the key

    static TermKey Char(int c, int modifiers = 0) { return {Kind::Char, c, modifiers}; }
    static TermKey Named(NamedKey k, int modifiers = 0) {
        return {Kind::Named, static_cast<int>(k), modifiers};
    }
    static TermKey Function(int n, int modifiers = 0) { return {Kind::Function, n, modifiers}; }
    static TermKey Keypad(char c) { return {Kind::Keypad, c, 0}; }
};

// The key code of a key press; 0 when the host has none for it.
[[nodiscard]] int TranslateKey(const TermKey &key);

// The keypad key that types the same character as the main keyboard's key
// `code` ('/' and keypad divide, '5' and keypad 5); 0 when there is none.
[[nodiscard]] int KeypadTwin(int code);

// Ctrl+C: the host's way out, read as a key rather than a signal.
inline constexpr int kInterruptKey = kCtrlFlag | 'C';

// A key that terminfo knows by an extended name such as "kUP5" (Ctrl+Up) or
// "kDC3" (Alt+Delete); Kind::None for any other name.
[[nodiscard]] TermKey KeyFromExtendedName(std::string_view name);

}  // namespace termhost
