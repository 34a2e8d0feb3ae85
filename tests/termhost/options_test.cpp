// The command line, and its mistakes.
#include "termhost/options.h"

#include <gtest/gtest.h>

namespace termhost {
namespace {

Options Parse(std::vector<std::string> args) { return ParseOptions(args, "/build/quorvel.so"); }

TEST(Options, FullScreenByDefaultWithTheBuiltPlugin) {
    const Options options = Parse({});
    EXPECT_FALSE(options.Scripting());
    EXPECT_EQ(options.plugin, "/build/quorvel.so");
    EXPECT_EQ(options.folder, ".");
    EXPECT_EQ(Parse({"--plugin", "other.so", "/tmp"}).folder, "/tmp");
}

TEST(Options, ScriptingKeepsTheOrderOfTheFiles) {
    const Options options = Parse({"--open", "a", "--open", "b", "--print-history"});
    EXPECT_TRUE(options.error.empty());
    EXPECT_TRUE(options.Scripting());
    EXPECT_EQ(options.open, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(options.printHistory);
}

TEST(Options, Mistakes) {
    EXPECT_FALSE(Parse({"--open"}).error.empty());
    EXPECT_FALSE(Parse({"--frobnicate"}).error.empty());
    EXPECT_FALSE(Parse({"a", "b"}).error.empty());
    EXPECT_FALSE(Parse({"--open", "a", "/tmp"}).error.empty());
    EXPECT_FALSE(ParseOptions({"--print-history"}, "").error.empty());
}

}  // namespace
}  // namespace termhost
