// Opening the chosen entry: the first editor window on its file (by this
// system's naming rule, within the window's 260-byte name) is made current;
// otherwise a new editor is opened on it.
#include <gmock/gmock.h>

#include <algorithm>

#include "platform/platform.h"
#include "plugin/plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

#ifdef _WIN32
const std::string kEntry = "d:\\docs\\a.txt";
#else
const std::string kEntry = "/docs/a.txt";
#endif

TEST_F(PluginTest, ChoosingAnEntrySwitchesToTheFirstEditorOnItsFile) {
    const std::string longName(300, 'n');
    std::string upper = kEntry;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    WriteHistory({kEntry, longName.substr(0, 260), longName, "viewer.txt"});
    Load();
    host.AddWindow({2, "viewer.txt"});                // 1: not an editor
    host.AddWindow({host::kEditorWindow, longName});  // 2: its name cut to 260 bytes
    host.AddWindow({host::kEditorWindow, upper});     // 3
    host.AddWindow({host::kEditorWindow, kEntry});    // 4
    host.AddWindow({host::kEditorWindow, kEntry});    // 5

    ui.menuAnswers = {Choose(0)};
    host.OpenPlugin();
    const int expected = platform::kFoldsCase ? 3 : 4;
    EXPECT_EQ(host.CurrentWindow(), expected);
    const auto commands = host.CallsOf<hostsim::HostCommandCall>();
    ASSERT_EQ(commands.size(), static_cast<std::size_t>(expected) + 3);
    EXPECT_EQ(commands.front().command, host::kHostCommandGetWindowCount);
    for (int i = 0; i <= expected; ++i) {
        EXPECT_EQ(commands[i + 1].command, host::kHostCommandGetWindowInfo);
        EXPECT_EQ(commands[i + 1].windowPos, i);
    }
    EXPECT_EQ(commands.back().command, host::kHostCommandSetCurrentWindow);
    EXPECT_EQ(commands.back().param, expected);
    EXPECT_EQ(commands.back().pluginId, hostsim::kPluginId);

    ui.menuAnswers = {Choose(1)};  // the cut name is the whole window name
    host.OpenPlugin();
    EXPECT_EQ(host.CurrentWindow(), 2);
    EXPECT_TRUE(Opened().empty());

    ui.menuAnswers = {Choose(3), Choose(2)};  // no editor on either
    host.OpenPlugin();
    host.OpenPlugin();
    const auto opened = Opened();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].fileName, "viewer.txt");
    EXPECT_EQ(opened[1].fileName, longName);
}

}  // namespace
