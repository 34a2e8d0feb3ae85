// F5 purges the entries whose files are gone; an empty history shows the
// notice instead of the menu.
#include <gmock/gmock.h>

#include "plugin/plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

TEST_F(PluginTest, F5RemovesMissingFilesAndStartsAFreshMenu) {
    const std::string kept1 = dir.File("kept1.txt"), kept2 = dir.File("kept2.txt");
    WriteBytes(kept1, "");
    WriteBytes(kept2, "");
    WriteHistory(
        {dir.File("gone0"), kept1, dir.File("gone2"), dir.File("gone3"), kept2, dir.File("gone5")});
    Load();
    ui.menuAnswers = {Key(LetterKey('K'), 1), Key(kF5)};
    host.OpenPlugin();

    EXPECT_THAT(History(), ElementsAre(kept1, kept2));
    const auto menus = Menus();
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[2].title, "File history []");
    EXPECT_THAT(Texts(menus[2]), ElementsAre(kept1, kept2));
    EXPECT_EQ(menus[2].items[1].selected, 1);
}

TEST_F(PluginTest, AnEmptyHistoryShowsTheNoticeInsteadOfTheMenu) {
    WriteHistory({dir.File("gone0"), dir.File("gone1")});
    Load();
    ui.menuAnswers = {Key(kF5)};
    host.OpenPlugin();

    EXPECT_EQ(Menus().size(), 1u);
    EXPECT_TRUE(HistoryExists());
    EXPECT_TRUE(History().empty());
    const auto notices = host.CallsOf<hostsim::MessageCall>();
    ASSERT_EQ(notices.size(), 1u);
    const hostsim::MessageCall &notice = notices[0];
    EXPECT_EQ(std::tie(notice.pluginId, notice.flags, notice.lineCount, notice.buttonCount),
              std::make_tuple(hostsim::kPluginId, 0u, 3, 1));
    EXPECT_EQ(notice.helpTopic, std::nullopt);
    EXPECT_THAT(notice.lines, ElementsAre("Quorvel", host.PluginText(1), "Ok"));
}

}  // namespace
