// Key codes as the host's menus take them: a Windows virtual-key code in the
// low 16 bits and modifier flags in the high 16 bits.
#pragma once

namespace host {

inline constexpr int kCtrlFlag = 1 << 16;
inline constexpr int kAltFlag = 2 << 16;
inline constexpr int kShiftFlag = 4 << 16;

// Virtual-key codes. Letters and the main keyboard's digits are their ASCII
// capitals and digits ('A', '0').
namespace vk {
inline constexpr int kBackspace = 8, kTab = 9, kReturn = 13, kEscape = 27, kSpace = 32;
inline constexpr int kPageUp = 33, kPageDown = 34, kEnd = 35, kHome = 36;
inline constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
inline constexpr int kInsert = 45, kDelete = 46;
// The keypad: kNumpad0 + n is its digit n.
inline constexpr int kNumpad0 = 96, kMultiply = 106, kAdd = 107, kSubtract = 109;
inline constexpr int kDecimal = 110, kDivide = 111;
// Function keys: kF1 + n - 1 is Fn.
inline constexpr int kF1 = 112, kF5 = 116, kF10 = 121;
// Punctuation keys of a US keyboard, named by their unshifted character.
inline constexpr int kSemicolon = 186, kEquals = 187, kComma = 188, kMinus = 189;
inline constexpr int kPeriod = 190, kSlash = 191, kBackquote = 192;
inline constexpr int kOpenBracket = 219, kBackslash = 220, kCloseBracket = 221, kQuote = 222;
}  // namespace vk

}  // namespace host
