// The road of one file: recorded when the editor opens it, listed in the
// menu, narrowed by typing, and brought up again; and the editor-opened
// event that reopening raises inside the menu call.
#include <gmock/gmock.h>

#include "plugin/plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

#ifdef _WIN32
const std::string kWork = "D:\\work\\";
#else
const std::string kWork = "/work/";
#endif
const std::string kAlpha = kWork + "alpha.txt", kBeta = kWork + "beta.txt",
                  kNotes = kWork + "notes.txt";

TEST_F(PluginTest, AFileOpenedInTheEditorIsListedNarrowedAndOpenedAgain) {
    WriteHistory({kAlpha, kBeta});
    Load();
    host.OpenEditorWindow(kNotes);
    EXPECT_EQ(ReadBytes(HistoryPath()), kAlpha + "\r\n" + kBeta + "\r\n" + kNotes + "\r\n");
    host.CloseWindow(1);

    ui.menuAnswers = {Key(LetterKey('N'), 2), Key(LetterKey('O')), Choose(0)};
    EXPECT_EQ(host.OpenPlugin(), -1);

    const auto menus = Menus();
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0].title, "File history []");
    EXPECT_THAT(Texts(menus[0]), ElementsAre(kAlpha, kBeta, kNotes));
    EXPECT_EQ(menus[0].items[2].selected, 1);
    EXPECT_EQ(menus[1].title, "File history [n]");
    EXPECT_EQ(menus[2].title, "File history [no]");
    EXPECT_THAT(Texts(menus[2]), ElementsAre(kNotes));
    ASSERT_EQ(Opened().size(), 1u);
    const hostsim::OpenEditorCall open = Opened()[0];
    EXPECT_EQ(open.fileName, kNotes);
    EXPECT_EQ(open.title, std::nullopt);
    EXPECT_EQ(
        std::tie(open.x1, open.y1, open.x2, open.y2, open.flags, open.startLine, open.startColumn),
        std::make_tuple(0, 0, -1, -1, 1u, -1, -1));
    EXPECT_EQ(History(), (std::vector<std::string>{kAlpha, kBeta, kNotes}));
}

TEST_F(PluginTest, ReopeningFromTheMenuMakesTheFileTheNewestEntry) {
    WriteHistory({kAlpha, kBeta, kNotes});
    Load();
    ui.menuAnswers = {Choose(0)};
    host.OpenPlugin();
    // The host raised the editor-opened event inside OpenPlugin.
    EXPECT_EQ(History(), (std::vector<std::string>{kBeta, kNotes, kAlpha}));
    ASSERT_EQ(host.Windows().size(), 2u);

    // Switching to the open editor raises nothing: the order stays.
    host.SwitchTo(0);
    ui.menuAnswers = {Choose(2)};
    host.OpenPlugin();
    EXPECT_EQ(host.CurrentWindow(), 1);
    EXPECT_EQ(Opened().size(), 1u);
    EXPECT_EQ(History(), (std::vector<std::string>{kBeta, kNotes, kAlpha}));

    // The next menu shows the new order, the reopened file highlighted.
    ui.menuAnswers = {};
    host.OpenPlugin();
    EXPECT_THAT(Texts(Menus().back()), ElementsAre(kBeta, kNotes, kAlpha));
    EXPECT_EQ(Menus().back().items[2].selected, 1);
}

}  // namespace
