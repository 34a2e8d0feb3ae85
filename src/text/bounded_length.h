// The length of a text kept in a run of bytes that need not end in a NUL,
// such as a fixed-size field of a host record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The bytes before the first NUL among `size`, or all `size` when there is
// none; 0 when there are no bytes.
[[nodiscard]] inline std::int32_t BoundedLength(const char *bytes, std::int32_t size) noexcept {
    if (size <= 0) return 0;
    const void *nul = std::memchr(bytes, '\0', static_cast<std::size_t>(size));
    return nul ? static_cast<std::int32_t>(static_cast<const char *>(nul) - bytes) : size;
}

// The same for a whole field.
template <std::size_t N>
[[nodiscard]] std::int32_t BoundedLength(const char (&field)[N]) noexcept {
    static_assert(N <= INT32_MAX);
    return BoundedLength(field, static_cast<std::int32_t>(N));
}
