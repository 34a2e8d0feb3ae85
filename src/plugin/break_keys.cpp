// The history menu's break keys as the host takes them.
#include "plugin/break_keys.h"

namespace {

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
