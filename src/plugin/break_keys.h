// The keys that close the history menu so the plug-in can act on them, in
// the order the host reports them by: letters, digits, keypad, editing keys.
// This table is the one statement of that order; tests find keys in it.
#pragma once

#include <array>
#include <cstdint>

#include "host/keys.h"
#include "platform/platform.h"

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

namespace break_keys_internal {

constexpr std::array<BreakKey, kBreakKeyCount> Make() {
    namespace vk = host::vk;
    std::array<BreakKey, kBreakKeyCount> keys{};
    int n = 0;
    for (char c = 'A'; c <= 'Z'; ++c) keys[n++] = {c, KeyEffect::AppendCharacter, c};
    for (char c = '0'; c <= '9'; ++c) keys[n++] = {c, KeyEffect::AppendCharacter, c};
    // The keypad in its own rows, 7 8 9 / 4 5 6 / 1 2 3 / 0.
    for (char c : {'7', '8', '9', '4', '5', '6', '1', '2', '3', '0'})
        keys[n++] = {vk::kNumpad0 + (c - '0'), KeyEffect::AppendCharacter, c};
    keys[n++] = {vk::kDivide, KeyEffect::AppendCharacter, platform::kPathSeparator};
    keys[n++] = {vk::kBackspace, KeyEffect::Backspace, 0};
    keys[n++] = {vk::kPeriod, KeyEffect::AppendCharacter, '.'};
    keys[n++] = {vk::kBackslash, KeyEffect::AppendCharacter, '\\'};
    keys[n++] = {vk::kMinus, KeyEffect::AppendCharacter, '-'};
    keys[n++] = {host::kShiftFlag | vk::kMinus, KeyEffect::AppendCharacter, '_'};
    keys[n++] = {vk::kF5, KeyEffect::Purge, 0};
    keys[n++] = {vk::kDelete, KeyEffect::Trim, 0};
    return keys;
}

}  // namespace break_keys_internal

inline constexpr std::array<BreakKey, kBreakKeyCount> kBreakKeys = break_keys_internal::Make();

// The position of the key with that code, as the host reports it; -1 if
// none has it.
constexpr int BreakKeyIndex(std::int32_t code) {
    for (int i = 0; i < kBreakKeyCount; ++i)
        if (kBreakKeys[static_cast<std::size_t>(i)].code == code) return i;
    return -1;
}

[[nodiscard]] const BreakKey &BreakKeyAt(int index) noexcept;

// The codes as the host takes them: kBreakKeyCount codes, then 0.
[[nodiscard]] const int *BreakKeyCodes() noexcept;
