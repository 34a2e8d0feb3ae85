// Where the next line break is: the first CR or LF. One scan finds either,
// sixteen bytes at a step where SSE2 is there, where two searches (one per
// byte value) would each scan the line.
#pragma once

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The position of the first CR or LF in bytes[from, size), or size.
[[nodiscard]] inline std::int32_t NextLineBreak(const char *bytes, std::int32_t from,
                                                std::int32_t size) noexcept {
    std::int32_t at = from;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; at + 16 <= size; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + at));
        const auto breaks = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf))));
        if (breaks != 0) return at + std::countr_zero(breaks);
    }
#endif
    for (; at < size; ++at)
        if (bytes[at] == '\r' || bytes[at] == '\n') return at;
    return size;
}
