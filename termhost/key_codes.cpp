// Translation of terminal keys into the host's key codes, for a US keyboard
// layout: the characters a terminal sends say which key and whether Shift
// was held.
#include "termhost/key_codes.h"

#include <array>
#include <cstring>

namespace termhost {
namespace {

// Punctuation keys, each with its plain and its shifted character.
constexpr char kPlainPunctuation[] = "`-=[]\\;',./";
constexpr char kShiftedPunctuation[] = "~_+{}|:\"<>?";
constexpr std::array<int, sizeof kPlainPunctuation - 1> kPunctuationCodes = {
    vk::kBackquote, vk::kMinus, vk::kEquals, vk::kOpenBracket, vk::kCloseBracket, vk::kBackslash,
    vk::kSemicolon, vk::kQuote, vk::kComma,  vk::kPeriod,      vk::kSlash};
// Shift with the digit keys 0 to 9.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

// The code of a printable ASCII character; 0 for any other.
int PrintableCode(int c) {
    if (c == ' ') return vk::kSpace;
    if (c >= '0' && c <= '9') return c;
    // A terminal cannot tell Shift from Caps Lock, so a letter is its key
    // whatever its case.
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= 'A' && c <= 'Z') return c;
    if (c <= 0 || c > '~') return 0;
    if (const char *p = std::strchr(kPlainPunctuation, c))
        return kPunctuationCodes[static_cast<std::size_t>(p - kPlainPunctuation)];
    if (const char *p = std::strchr(kShiftedPunctuation, c))
        return kShiftFlag | kPunctuationCodes[static_cast<std::size_t>(p - kShiftedPunctuation)];
    if (const char *p = std::strchr(kShiftedDigits, c))
        return kShiftFlag | ('0' + static_cast<int>(p - kShiftedDigits));
    return 0;
}

// The code of a character the terminal sent; Ctrl with a letter or one of
// \ ] ^ _ sends that character's code less 64 ('A' - 1).
int CharCode(int c) {
    constexpr int kCtrlOffset = 'A' - 1;
    switch (c) {
    case '\0': return kCtrlFlag | vk::kSpace;
    case '\b':
    case '\x7f': return vk::kBackspace;  // terminals send either for Backspace
    case '\t': return vk::kTab;
    case '\n':
    case '\r': return vk::kReturn;
    case '\x1b': return vk::kEscape;
    default: break;
    }
    if (c >= 'A' - kCtrlOffset && c <= 'Z' - kCtrlOffset) return kCtrlFlag | (c + kCtrlOffset);
    if (c >= '\\' - kCtrlOffset && c <= '_' - kCtrlOffset)
        return kCtrlFlag | PrintableCode(c + kCtrlOffset);
    return PrintableCode(c);
}

int NamedCode(NamedKey key) {
    switch (key) {
    case NamedKey::Up: return vk::kUp;
    case NamedKey::Down: return vk::kDown;
    case NamedKey::Left: return vk::kLeft;
    case NamedKey::Right: return vk::kRight;
    case NamedKey::Home: return vk::kHome;
    case NamedKey::End: return vk::kEnd;
    case NamedKey::PageUp: return vk::kPageUp;
    case NamedKey::PageDown: return vk::kPageDown;
    case NamedKey::Insert: return vk::kInsert;
    case NamedKey::Delete: return vk::kDelete;
    case NamedKey::Backspace: return vk::kBackspace;
    case NamedKey::Enter: return vk::kReturn;
    case NamedKey::Escape: return vk::kEscape;
    case NamedKey::Tab: return vk::kTab;
    }
    return 0;
}

// terminfo numbers F13 to F72 as F1 to F12 with Shift, Ctrl, Ctrl+Shift,
// Alt and Alt+Shift.
int FunctionCode(int n) {
    constexpr int kKeys = 12;  // F1 to F12
    constexpr std::array<int, 6> kGroupFlags = {
        0, kShiftFlag, kCtrlFlag, kCtrlFlag | kShiftFlag, kAltFlag, kAltFlag | kShiftFlag};
    if (n < 1 || n > kKeys * static_cast<int>(kGroupFlags.size())) return 0;
    return kGroupFlags[static_cast<std::size_t>((n - 1) / kKeys)] | (vk::kF1 + (n - 1) % kKeys);
}

int KeypadCode(int c) {
    if (c >= '0' && c <= '9') return vk::kNumpad0 + (c - '0');
    switch (c) {
    case '/': return vk::kDivide;
    case '*': return vk::kMultiply;
    case '-': return vk::kSubtract;
    case '+': return vk::kAdd;
    case '.': return vk::kDecimal;
    case '\r': return vk::kReturn;
    default: return 0;
    }
}

}  // namespace

int TranslateKey(const TermKey &key) {
    int code = 0;
    switch (key.kind) {
    case TermKey::Kind::None: return 0;
    case TermKey::Kind::Char: code = CharCode(key.value); break;
    case TermKey::Kind::Named: code = NamedCode(static_cast<NamedKey>(key.value)); break;
    case TermKey::Kind::Function: code = FunctionCode(key.value); break;
    case TermKey::Kind::Keypad: code = KeypadCode(key.value); break;
    }
    return code == 0 ? 0 : code | key.modifiers;
}

int KeypadTwin(int code) {
    if (code >= '0' && code <= '9') return vk::kNumpad0 + (code - '0');
    switch (code) {
    case vk::kSlash: return vk::kDivide;
    case kShiftFlag | '8': return vk::kMultiply;
    case vk::kMinus: return vk::kSubtract;
    case kShiftFlag | vk::kEquals: return vk::kAdd;
    case vk::kPeriod: return vk::kDecimal;
    default: return 0;
    }
}

TermKey KeyFromExtendedName(std::string_view name) {
    struct Entry {
        std::string_view name;
        NamedKey key;
    };
    constexpr Entry kNames[] = {
        {"kUP", NamedKey::Up},      {"kDN", NamedKey::Down},      {"kLFT", NamedKey::Left},
        {"kRIT", NamedKey::Right},  {"kHOM", NamedKey::Home},     {"kEND", NamedKey::End},
        {"kPRV", NamedKey::PageUp}, {"kNXT", NamedKey::PageDown}, {"kIC", NamedKey::Insert},
        {"kDC", NamedKey::Delete},
    };
    for (const Entry &entry : kNames) {
        if (name.substr(0, entry.name.size()) != entry.name) continue;
        const std::string_view suffix = name.substr(entry.name.size());
        // No digit means Shift; a digit d carries xterm's modifier bits in d - 1.
        int bits = 1;
        if (suffix.size() == 1 && suffix[0] >= '2' && suffix[0] <= '8')
            bits = suffix[0] - '1';
        else if (!suffix.empty())
            continue;
        const int modifiers = ((bits & 1) ? kShiftFlag : 0) | ((bits & 2) ? kAltFlag : 0) |
                              ((bits & 4) ? kCtrlFlag : 0);
        return TermKey::Named(entry.key, modifiers);
    }
    return {};
}

}  // namespace termhost
