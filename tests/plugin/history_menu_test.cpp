// The history menu: what it hands the host, how typed keys narrow it, and
// answers it cannot act on.
#include <gmock/gmock.h>

#include "platform/platform.h"
#include "plugin/plugin_fixture.h"

namespace {

using hostsim::MenuAnswer;
using ::testing::ElementsAre;

std::vector<std::string> Titles(const std::vector<hostsim::MenuCall> &menus) {
    std::vector<std::string> titles;
    for (const hostsim::MenuCall &menu : menus) titles.push_back(menu.title.value_or("(null)"));
    return titles;
}

std::vector<int> Selected(const hostsim::MenuCall &menu) {
    std::vector<int> flags;
    for (const hostsim::MenuItem &item : menu.items) flags.push_back(item.selected);
    return flags;
}

TEST_F(PluginTest, TheMenuShowsTheHistoryOldestFirstWithTheNewestHighlighted) {
    WriteHistory({"a.txt", "b.txt", "c.txt"});
    Load();
    ui.menuAnswers = {Key(LetterKey('C'), 2)};
    host.OpenPlugin();

    const auto menus = Menus();
    ASSERT_EQ(menus.size(), 2u);
    const hostsim::MenuCall &menu = menus[0];
    EXPECT_EQ(std::tie(menu.pluginId, menu.x, menu.y, menu.flags),
              std::make_tuple(hostsim::kPluginId, -1, -1, 2u));
    // The console height less 4; the host's choice (0) when there is no console.
    const int rows = platform::ConsoleBufferRows();
    EXPECT_EQ(menu.maxHeight, rows < 0 ? 0 : rows - 4);
    EXPECT_EQ(menu.title, "File history []");
    EXPECT_EQ(menu.bottom, host.PluginText(2));
    EXPECT_EQ(menu.helpTopic, std::nullopt);
    EXPECT_EQ(menu.itemCount, 3);
    EXPECT_THAT(Texts(menu), ElementsAre("a.txt", "b.txt", "c.txt"));
    EXPECT_THAT(Selected(menu), ElementsAre(0, 0, 1));
    // Both displays preset the break code to 0.
    EXPECT_TRUE(menu.hasBreakCode);
    EXPECT_EQ(menus[1].breakCodeBefore, 0);

    std::vector<int> table;
    for (const BreakKey &key : kBreakKeys) table.push_back(key.code);
    EXPECT_EQ(menu.breakKeys, table);
}

TEST_F(PluginTest, TypingNarrowsTheListAndANonMatchingKeyIsDropped) {
    WriteHistory({"alpha.txt", "Beta.txt", "Docs/Gamma.txt"});
    Load();
    ui.menuAnswers = {Key(LetterKey('B')), Key(LetterKey('Z')), Key(kBackspace),    Key(kBackspace),
                      Key(LetterKey('D')), Key(LetterKey('O')), Key(LetterKey('C'))};
    host.OpenPlugin();

    const auto menus = Menus();
    EXPECT_THAT(Titles(menus),
                ElementsAre("File history []", "File history [b]", "File history [b]",
                            "File history []", "File history []", "File history [d]",
                            "File history [do]", "File history [doc]"));
    EXPECT_THAT(Texts(menus[1]), ElementsAre("Beta.txt"));
    EXPECT_THAT(Texts(menus[7]), ElementsAre("Docs/Gamma.txt"));  // its own capitals
}

TEST_F(PluginTest, KeypadAndPunctuationKeysExtendTheFilter) {
    const std::string typed = std::string("5._") + platform::kPathSeparator + "\\";
    WriteHistory({"plain.txt", "x" + typed + "y"});
    Load();
    ui.menuAnswers = {Key(kKeypad5), Key(kPeriod), Key(kShiftMinus), Key(kKeypadDivide),
                      Key(kBackslashKey)};
    host.OpenPlugin();
    EXPECT_EQ(Menus().back().title, "File history [" + typed + "]");
    EXPECT_THAT(Texts(Menus().back()), ElementsAre("x" + typed + "y"));
}

TEST_F(PluginTest, ALongEntryShowsItsLast127BytesButIsMatchedWhole) {
    const std::string longEntry = "keyword" + std::string(193, 'y');
    WriteHistory({"other.txt", longEntry});
    Load();
    ui.menuAnswers = {Key(LetterKey('K')), Key(LetterKey('E')), Key(LetterKey('Y'))};
    host.OpenPlugin();
    EXPECT_THAT(Texts(Menus()[0]), ElementsAre("other.txt", longEntry.substr(200 - 127)));
    EXPECT_THAT(Texts(Menus().back()), ElementsAre(longEntry.substr(200 - 127)));
}

TEST_F(PluginTest, TheHighlightCarriesOverAsAMenuPosition) {
    WriteHistory({"q1", "n2", "q3", "n4", "n5", "q6", "n7", "n8"});
    Load();
    ui.menuAnswers = {Key(LetterKey('Q'), 5), Key(kBackspace, 1)};
    host.OpenPlugin();
    const auto menus = Menus();
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_THAT(Selected(menus[1]), ElementsAre(0, 0, 1));
    EXPECT_THAT(Selected(menus[2]), ElementsAre(0, 1, 0, 0, 0, 0, 0, 0));
}

TEST_F(PluginTest, AnswersThatChooseNothingOpenNothing) {
    WriteHistory({"", "a.txt", "b.txt"});
    Load();
    const std::vector<std::pair<std::vector<MenuAnswer>, std::size_t>> scripts = {
        {{Choose(-1)}, 1},                                         // Escape
        {{Choose(0)}, 1},                                          // the empty entry
        {{Choose(3)}, 1},                                          // beyond the items
        {{Key(54)}, 1},                                            // beyond the break keys
        {{Key(-2)}, 1},    {{MenuAnswer{-2, -1}, Choose(-1)}, 2},  // shown again
    };
    for (const auto &[answers, shown] : scripts) {
        host.ClearCalls();
        ui.menuAnswers = answers;
        EXPECT_EQ(host.OpenPlugin(), -1);
        EXPECT_EQ(Menus().size(), shown);
    }
    EXPECT_TRUE(Opened().empty());
    EXPECT_THAT(History(), ElementsAre("", "a.txt", "b.txt"));
}

}  // namespace
