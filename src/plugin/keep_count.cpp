// Reading the keep count: leading blanks, an optional plus, then digits.
#include "plugin/keep_count.h"

#include <climits>

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ReadKeepCount(const char *answer, std::int32_t length, std::int32_t &keep) {
    std::int32_t i = 0;
    while (i < length && IsBlank(answer[i])) ++i;
    if (i < length && answer[i] == '+') ++i;
    if (i == length || !IsDigit(answer[i])) return false;
    std::int64_t value = 0;
    for (; i < length && IsDigit(answer[i]); ++i) {
        value = value * 10 + (answer[i] - '0');
        if (value > INT32_MAX) value = INT32_MAX;
    }
    keep = static_cast<std::int32_t>(value);
    return true;
}
