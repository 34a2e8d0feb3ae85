// Reading the answer to how many history entries to keep.
#pragma once

#include <cstdint>

// Reads the number the answer starts with, as atoi would, but only a
// non-negative one: no digits, or a minus sign, is no answer at all. Text
// after the digits is ignored; beyond INT32_MAX means keep everything.
[[nodiscard]] bool ReadKeepCount(const char *answer, std::int32_t length, std::int32_t &keep);
