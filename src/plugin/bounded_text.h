// Texts in fixed-size host fields, which need not hold a NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Length of the text in a field of `size` bytes: up to its NUL, or the whole
// field when there is none.
[[nodiscard]] inline std::int32_t BoundedLength(const char *field, std::size_t size) noexcept {
    const void *nul = std::memchr(field, '\0', size);
    return static_cast<std::int32_t>(nul ? static_cast<const char *>(nul) - field : size);
}
