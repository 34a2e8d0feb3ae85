// The menu's search against the plain rule at every text length and every
// place of the pattern: the search's blocks sit at places that change with
// the length, and a block in the wrong place misses a match or reads beyond
// the text (which the sanitizers see: each text is a heap block of its own
// size).
#include "plugin/folded_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

bool PlainRule(const std::string &text, const std::string &pattern) {
    std::string folded = text;
    for (char &c : folded) c = FoldAscii(c);
    return folded.find(pattern) != std::string::npos;
}

TEST(FoldedSearch, FindsThePatternAtEveryPlaceInTextsOfEveryLength) {
    // Patterns tested by one rare byte or by two, with their first and last
    // byte in place but not the middle, and in capitals in the text.
    const struct {
        std::string pattern, inText, nearMiss;
    } cases[] = {
        {"q", "Q", "p"},          {"c", "C", "b"},
        {"conf", "cONf", "coxf"}, {"src\\core", "SRC\\cORE", "src|core"},
        {"a.h", "A.h", "x.h"},    {"qz", "Qz", "Xz"},
    };
    for (const auto &c : cases) {
        const DynString pattern(c.pattern.c_str());
        const FoldedSearch search(pattern, LeadBytes{});
        for (std::size_t length = 0; length <= 220; ++length) {
            for (std::size_t at = 0; at <= length; ++at) {
                for (const std::string *placed : {&c.inText, &c.nearMiss}) {
                    // Filler that holds no byte of any pattern, then the text.
                    std::string text(length, '#');
                    if (at + placed->size() <= length) text.replace(at, placed->size(), *placed);
                    const auto bytes = std::make_unique<char[]>(length);  // exactly the text
                    text.copy(bytes.get(), length);
                    ASSERT_EQ(search.In(bytes.get(), static_cast<std::int32_t>(length)),
                              PlainRule(text, c.pattern))
                        << c.pattern << " in " << text;
                }
            }
        }
    }
}

}  // namespace
