// Fuzz target: any answer to "how many entries to keep" reads as the rules
// say, stated here apart from the parser.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz_check.h"
#include "plugin/keep_count.h"

namespace {

// The rules: blanks (" \t\n\v\f\r") are skipped, then one '+' may stand, then
// digits must follow. No digits, a minus sign among them, is no answer. A
// number beyond INT32_MAX keeps everything; what follows the digits is ignored.
NOT_STEERING std::optional<std::int32_t> ExpectedKeep(std::string_view answer) {
    answer.remove_prefix(std::min(answer.find_first_not_of(" \t\n\v\f\r"), answer.size()));
    if (answer.starts_with('+')) answer.remove_prefix(1);
    std::string_view digits = answer.substr(0, answer.find_first_not_of("0123456789"));
    if (digits.empty()) return std::nullopt;
    digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size() - 1));
    if (digits.size() > 10) return INT32_MAX;
    std::int64_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > INT32_MAX) return -1;
    const std::string_view answer(reinterpret_cast<const char *>(data), size);
    constexpr std::int32_t kUntouched = -1;
    std::int32_t keep = kUntouched;
    const bool read = ReadKeepCount(answer.data(), static_cast<std::int32_t>(size), keep);
    const std::optional<std::int32_t> expected = ExpectedKeep(answer);
    if (read != expected.has_value()) Fail("answer read where the rules give none, or not read");
    if (keep != expected.value_or(kUntouched)) Fail("keep count differs from the rules");
    return 0;
}
