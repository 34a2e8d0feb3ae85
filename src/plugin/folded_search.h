// Whether a text holds a lower-case pattern once its A to Z are folded to
// lower case, folding as it compares (no copy). Where SSE2 is there, sixteen
// start positions are tested at a step for one or two of the pattern's
// rarest bytes, and only those that pass are compared whole. Inline, so that
// a loop over many texts keeps the pattern's registers. With two-byte
// characters, a match counts only from a character's start.
#pragma once

#include <bit>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/dyn_string.h"
#include "text/lead_bytes.h"

class FoldedSearch {
public:
    // The pattern holds ASCII alone and no capital (the menu's filter never
    // does), and its bytes stay as they are while the search is used; so do
    // the lead bytes.
    FoldedSearch(const DynString &pattern, const LeadBytes &leads) noexcept
        : pattern_(pattern.buf), length_(pattern.len), leads_(leads.Any() ? &leads : nullptr) {
        if (length_ == 0) return;
        // The rarest byte; a second one unless that one is rare enough alone.
        rare_ = other_ = RarestExcept(-1);
        if (length_ > 1 && Commonness(pattern_[rare_]) < kRareAlone) other_ = RarestExcept(rare_);
#if defined(__SSE2__)
        rareByte_ = _mm_set1_epi8(pattern_[rare_]);
        rareCase_ = CaseBit(pattern_[rare_]);
        otherByte_ = _mm_set1_epi8(pattern_[other_]);
        otherCase_ = CaseBit(pattern_[other_]);
#endif
    }

    // The same answer as lower-casing a copy of the text and finding the
    // pattern in it from a character's start; an empty pattern is in every
    // text.
    [[nodiscard]] bool In(const char *text, std::int32_t length) const noexcept {
        return InBytes(text, length) && (!leads_ || AtACharacter(text, length));
    }

private:
    // The same, whatever the characters: a match may begin at a second byte.
    [[nodiscard]] bool InBytes(const char *text, std::int32_t length) const noexcept {
        if (length_ == 0) return true;
        if (length < length_) return false;
        const std::int32_t starts = length - length_ + 1;
#if defined(__SSE2__)
        if (starts >= kStep) {
            return other_ == rare_ ? InBlocks<false>(text, starts) : InBlocks<true>(text, starts);
        }
#endif
        for (std::int32_t at = 0; at < starts; ++at)
            if (Matches(text + at)) return true;
        return false;
    }

    // Whether a match begins at a character's start; one that does ends at
    // one, as the pattern's bytes are all characters of their own.
    [[nodiscard]] bool AtACharacter(const char *text, std::int32_t length) const noexcept {
        for (std::int32_t at = 0; at + length_ <= length; at += leads_->Width(text[at]))
            if (Matches(text + at)) return true;
        return false;
    }

    static constexpr std::int32_t kStep = 16;

    // Bytes by how often they appear in paths, most often first; bytes that
    // are not listed count as the rarest. From `kRareAlone` on, a byte is
    // rare enough that few start positions pass it alone.
    static constexpr std::string_view kByCommonness = "\\/esroaitnc.lpmdugfhbvw_-ky10x2j3546879qz";
    static constexpr int kRareAlone = 25;  // 'k'

    static constexpr int Commonness(char c) noexcept {
        const std::size_t at = kByCommonness.find(c);
        return static_cast<int>(at == std::string_view::npos ? kByCommonness.size() : at);
    }

    const char *pattern_;
    std::int32_t length_;
    const LeadBytes *leads_;  // null where every byte is a character
    std::int32_t rare_ = 0;   // offset of the rarest byte in the pattern
    std::int32_t other_ = 0;  // offset of the next rarest; rare_ when it goes alone
#if defined(__SSE2__)
    // Each probe's byte sixteen times, and its case bit: setting bit 5 folds
    // a capital onto its small letter and changes no other byte into one, so
    // b | 0x20 == c holds exactly for b of either case when c is a small
    // letter; any other c is compared exactly.
    __m128i rareByte_{}, rareCase_{}, otherByte_{}, otherCase_{};

    static __m128i CaseBit(char c) noexcept {
        return _mm_set1_epi8(c >= 'a' && c <= 'z' ? 0x20 : 0);
    }
#endif

    [[nodiscard]] std::int32_t RarestExcept(std::int32_t skipped) const noexcept {
        std::int32_t rarest = -1;
        for (std::int32_t i = 0; i < length_; ++i) {
            if (i == skipped) continue;
            if (rarest < 0 || Commonness(pattern_[i]) > Commonness(pattern_[rarest])) rarest = i;
        }
        return rarest;
    }

    // Whether the whole pattern starts at `at`, folded.
    [[nodiscard]] bool Matches(const char *at) const noexcept {
        for (std::int32_t i = 0; i < length_; ++i)
            if (FoldAscii(at[i]) != pattern_[i]) return false;
        return true;
    }

#if defined(__SSE2__)
    // Marks the sixteen start positions from `block` that pass the probes.
    template <bool kPair>
    [[nodiscard]] __m128i Candidates(const char *block) const noexcept {
        const __m128i rare = Passing(rareByte_, rareCase_, block + rare_);
        if (!kPair) return rare;
        return _mm_and_si128(rare, Passing(otherByte_, otherCase_, block + other_));
    }
    static __m128i Passing(__m128i byte, __m128i caseBit, const char *at) noexcept {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        return _mm_cmpeq_epi8(_mm_or_si128(bytes, caseBit), byte);
    }

    // Whether the whole pattern is at one of the marked start positions.
    [[nodiscard]] bool AnyMatches(const char *block, __m128i candidates) const noexcept {
        for (auto marks = static_cast<unsigned>(_mm_movemask_epi8(candidates)); marks;
             marks &= marks - 1)
            if (Matches(block + std::countr_zero(marks))) return true;
        return false;
    }

    // Every start position, in blocks of sixteen. Up to 128 positions, the
    // blocks sit at fixed places (the later ones overlapping the earlier), so
    // that the branches taken follow the length's class, not each length;
    // longer texts take a loop. A probe reads at most length_ - 1 bytes past
    // a start, so loads stay within the text.
    template <bool kPair>
    [[nodiscard]] bool InBlocks(const char *text, std::int32_t starts) const noexcept {
        if (starts <= 2 * kStep) return InFixedBlocks<kPair, 1>(text, starts);
        if (starts <= 4 * kStep) return InFixedBlocks<kPair, 2>(text, starts);
        if (starts <= 8 * kStep) return InFixedBlocks<kPair, 4>(text, starts);
        for (std::int32_t at = 0;; at += kStep) {
            if (at > starts - kStep) at = starts - kStep;
            if (AnyMatches(text + at, Candidates<kPair>(text + at))) return true;
            if (at == starts - kStep) return false;
        }
    }

    // kHalf blocks from the first start on and kHalf up to the last; they
    // cover every start when there are at most 2 * kHalf * 16.
    template <bool kPair, int kHalf>
    [[nodiscard]] bool InFixedBlocks(const char *text, std::int32_t starts) const noexcept {
        const char *late = text + starts - kHalf * kStep;
        __m128i any = Candidates<kPair>(text);
        any = _mm_or_si128(any, Candidates<kPair>(late));
        for (int i = 1; i < kHalf; ++i) {
            any = _mm_or_si128(any, Candidates<kPair>(text + i * kStep));
            any = _mm_or_si128(any, Candidates<kPair>(late + i * kStep));
        }
        if (_mm_movemask_epi8(any) == 0) return false;
        for (int i = 0; i < kHalf; ++i) {
            if (AnyMatches(text + i * kStep, Candidates<kPair>(text + i * kStep))) return true;
            if (AnyMatches(late + i * kStep, Candidates<kPair>(late + i * kStep))) return true;
        }
        return false;
    }
#endif
};
