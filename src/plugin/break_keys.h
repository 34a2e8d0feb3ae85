// The keys that close the history menu so the plug-in can act on them, in
// the order the host reports them by: letters, digits, keypad, editing keys.
#pragma once

#include <cstdint>

enum class KeyEffect {
    AppendCharacter,  // extends the filter
    Backspace,        // shortens the filter
    Purge,            // removes entries whose files are gone
    Trim,             // keeps a number of the newest entries
};

struct BreakKey {
    std::int32_t code;  // virtual-key code; modifier flags in the high 16 bits
    KeyEffect effect;
    char character;  // for AppendCharacter
};

// 26 letters, 10 digits, 11 keypad keys and 7 more.
inline constexpr int kBreakKeyCount = 54;

[[nodiscard]] const BreakKey &BreakKeyAt(int index) noexcept;

// The codes as the host takes them: kBreakKeyCount codes, then 0.
[[nodiscard]] const int *BreakKeyCodes() noexcept;
