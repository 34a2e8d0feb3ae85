// The history menu's break keys and what each one does.
#include "plugin/break_keys.h"

#include <array>

#include "platform/platform.h"

namespace {

constexpr std::int32_t kShift = 4 << 16;  // the Shift flag, in the high 16 bits

constexpr std::array<BreakKey, kBreakKeyCount> MakeBreakKeys() {
    std::array<BreakKey, kBreakKeyCount> keys{};
    int n = 0;
    for (char c = 'A'; c <= 'Z'; ++c) keys[n++] = {c, KeyEffect::AppendCharacter, c};
    for (char c = '0'; c <= '9'; ++c) keys[n++] = {c, KeyEffect::AppendCharacter, c};
    // The keypad in its own rows, 7 8 9 / 4 5 6 / 1 2 3 / 0; VK_NUMPAD0 is 96.
    for (char c : {'7', '8', '9', '4', '5', '6', '1', '2', '3', '0'})
        keys[n++] = {96 + (c - '0'), KeyEffect::AppendCharacter, c};
    keys[n++] = {111, KeyEffect::AppendCharacter, platform::kPathSeparator};  // keypad divide
    keys[n++] = {8, KeyEffect::Backspace, 0};
    keys[n++] = {190, KeyEffect::AppendCharacter, '.'};
    keys[n++] = {220, KeyEffect::AppendCharacter, '\\'};
    keys[n++] = {189, KeyEffect::AppendCharacter, '-'};
    keys[n++] = {kShift | 189, KeyEffect::AppendCharacter, '_'};
    keys[n++] = {116, KeyEffect::Purge, 0};  // F5
    keys[n++] = {46, KeyEffect::Trim, 0};    // Delete
    return keys;
}

constexpr std::array<BreakKey, kBreakKeyCount> kBreakKeys = MakeBreakKeys();

constexpr std::array<int, kBreakKeyCount + 1> MakeCodes() {
    std::array<int, kBreakKeyCount + 1> codes{};
    for (std::size_t i = 0; i < kBreakKeys.size(); ++i) codes[i] = kBreakKeys[i].code;
    return codes;  // ends with 0
}

constexpr std::array<int, kBreakKeyCount + 1> kBreakKeyCodes = MakeCodes();

}  // namespace

const BreakKey &BreakKeyAt(int index) noexcept {
    return kBreakKeys[static_cast<std::size_t>(index)];
}

const int *BreakKeyCodes() noexcept { return kBreakKeyCodes.data(); }
