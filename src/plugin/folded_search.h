// Whether a text holds a lower-case pattern once its A to Z are folded to
// lower case, folding as it compares (no copy), sixteen start positions at a
// step where SSE2 is there. Inline, so that a loop over many texts keeps the
// pattern's registers.
#pragma once

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/dyn_string.h"

class FoldedSearch {
public:
    // The pattern holds no capital (the menu's filter never does), and its
    // bytes stay as they are while the search is used.
    explicit FoldedSearch(const DynString &pattern) noexcept
        : pattern_(pattern.buf), length_(pattern.len) {}

    // The same answer as lower-casing a copy of the text and finding the
    // pattern in it, except that an empty pattern is in every text.
    [[nodiscard]] bool In(const char *text, std::int32_t length) const noexcept {
        if (length_ == 0) return true;
        if (length < length_) return false;
        const std::int32_t starts = length - length_ + 1;
#if defined(__SSE2__)
        if (starts >= kStep) return InBlocks(text, starts);
#endif
        for (std::int32_t at = 0; at < starts; ++at)
            if (FoldAscii(text[at]) == pattern_[0] && Matches(text + at)) return true;
        return false;
    }

private:
    static constexpr std::int32_t kStep = 16;

    const char *pattern_;
    std::int32_t length_;

    // Whether the pattern's bytes after the first are at `at`'s, folded.
    [[nodiscard]] bool Matches(const char *at) const noexcept {
        for (std::int32_t i = 1; i < length_; ++i)
            if (FoldAscii(at[i]) != pattern_[i]) return false;
        return true;
    }

#if defined(__SSE2__)
    // Setting bit 5 folds a capital onto its small letter and changes no
    // other byte into one, so b | 0x20 == c holds exactly for b of either
    // case when c is a small letter; any other c is compared exactly.
    static __m128i CaseBit(char c) noexcept {
        return _mm_set1_epi8(c >= 'a' && c <= 'z' ? 0x20 : 0);
    }

    // Every start position in blocks of sixteen; a candidate has the first
    // and the last byte of the pattern in place, and then the rest is
    // compared. Loads stay within the text.
    [[nodiscard]] bool InBlocks(const char *text, std::int32_t starts) const noexcept {
        const char first = pattern_[0], last = pattern_[length_ - 1];
        const __m128i firstByte = _mm_set1_epi8(first), firstCase = CaseBit(first);
        const __m128i lastByte = _mm_set1_epi8(last), lastCase = CaseBit(last);
        const std::int32_t lastBlock = starts - kStep;
        for (std::int32_t at = 0;; at += kStep) {
            if (at > lastBlock) at = lastBlock;  // the last block overlaps the one before
            const char *block = text + at;
            const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block));
            const __m128i tails =
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + length_ - 1));
            const __m128i both =
                _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(heads, firstCase), firstByte),
                              _mm_cmpeq_epi8(_mm_or_si128(tails, lastCase), lastByte));
            for (auto hits = static_cast<unsigned>(_mm_movemask_epi8(both)); hits;
                 hits &= hits - 1)
                if (Matches(block + std::countr_zero(hits))) return true;
            if (at == lastBlock) return false;
        }
    }
#endif
};
