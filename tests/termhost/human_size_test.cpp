// Sizes in the browser read as people write them, and a rounding never
// shows a number that belongs to the next unit.
#include "termhost/human_size.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace termhost {
namespace {

TEST(HumanSize, BinaryUnitsWithOneDecimal) {
    struct Case {
        std::uintmax_t bytes;
        const char *text;
    };
    const Case cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KiB"},
        {1536, "1.5 KiB"},
        {1048575, "1.0 MiB"},  // 1023.999 KiB would round to "1024.0 KiB"
        {200000000, "190.7 MiB"},
        {std::uintmax_t{3} << 40, "3.0 TiB"},
        {UINTMAX_MAX, "16.0 EiB"},
    };
    for (const Case &c : cases) EXPECT_EQ(HumanSize(c.bytes), c.text) << c.bytes;
}

}  // namespace
}  // namespace termhost
