// Trimming the history: the prompt, reading its answer, dropping the oldest.
#include "plugin/trimming.h"

#include <climits>
#include <cstdint>

#include "history/history_store.h"
#include "plugin/bounded_text.h"
#include "plugin/startup.h"

namespace {

constexpr int kAnswerSize = 32;

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the number the answer starts with, as atoi would, but only a
// non-negative one: no digits, or a minus sign, is no answer at all. Text
// after the digits is ignored; beyond INT32_MAX means keep everything.
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

}  // namespace

void TrimHistory() {
    char answer[kAnswerSize] = {};
    if (!StartupCopy.PromptInput("Clear history", "Input number of items to keep", nullptr, "100",
                                 answer, kAnswerSize, nullptr, 0))
        return;
    std::int32_t keep = 0;
    if (!ReadKeepCount(answer, BoundedLength(answer, sizeof answer), keep)) return;
    // Applied to the history as the file holds it now, so that what another
    // copy recorded while the menu was open is not erased.
    KeepNewest(keep);
}
