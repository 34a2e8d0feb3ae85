// The history menu's break keys and what each one does.
#include "plugin/break_keys.h"

#include <array>

#include "host/keys.h"
#include "platform/platform.h"

namespace {

namespace vk = host::vk;

constexpr std::array<BreakKey, kBreakKeyCount> MakeBreakKeys() {
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
