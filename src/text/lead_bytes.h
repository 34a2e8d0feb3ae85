// The two-byte characters of a code page such as Windows' 932, 936, 949 and
// 950: a lead byte (0x81 and up), then a second byte that may be any of 0x40
// to 0xFE, ASCII letters and the backslash among them. A second byte belongs
// to its character: it is never folded and never taken for a separator.
// Without lead bytes (a single-byte code page) every byte is a character.
#pragma once

#include <array>
#include <cstdint>

#include "text/dyn_string.h"

class LeadBytes {
public:
    constexpr LeadBytes() noexcept = default;

    // Makes the bytes from first to last lead bytes.
    void Add(unsigned char first, unsigned char last) noexcept {
        for (unsigned c = first; c <= last; ++c) lead_[c] = true;
        any_ = any_ || first <= last;
    }

    [[nodiscard]] bool Any() const noexcept { return any_; }
    [[nodiscard]] bool Lead(char c) const noexcept { return lead_[static_cast<unsigned char>(c)]; }
    // The bytes of the character that begins with c.
    [[nodiscard]] std::int32_t Width(char c) const noexcept { return Lead(c) ? 2 : 1; }

    // Whether the byte at `at` begins a character rather than being the
    // second byte of one. A byte that is no lead byte ends a character, so
    // the lead bytes between it and `at` pair off.
    [[nodiscard]] bool StartsCharacter(const char *text, std::int32_t at) const noexcept {
        if (!any_) return true;
        std::int32_t leads = 0;
        while (leads < at && Lead(text[at - 1 - leads])) ++leads;
        return leads % 2 == 0;
    }

    // Folds A to Z to lower case in the characters of one byte.
    void ToLower(char *text, std::int32_t length) const noexcept {
        for (std::int32_t i = 0; i < length; i += Width(text[i])) text[i] = FoldAscii(text[i]);
    }

private:
    std::array<bool, 256> lead_{};
    bool any_ = false;
};
