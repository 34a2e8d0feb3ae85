// Tests of the stand-in host: it loads a library by path, serves the
// plug-in's calls, raises the editor-opened event, and records every call.
#include "hostsim/host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hostsim/fake_plugin.h"

namespace {

using namespace hostsim;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

const std::string kFakePlugin = QUORVEL_FAKE_PLUGIN;

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.LoadPlugin(kFakePlugin, &error)) << error;
    }

    // The one-line reports the fake plug-in showed, oldest first.
    [[nodiscard]] std::vector<std::string> Reports() const {
        std::vector<std::string> lines;
        for (const MessageCall &call : host.CallsOf<MessageCall>())
            lines.push_back(call.lines.at(0));
        return lines;
    }

    ScriptedFrontend frontend;
    Host host{frontend};
};

TEST_F(HostTest, LoadsByPathAndHandsOverTheRealPathAndServices) {
    EXPECT_EQ(Host::Active(), nullptr) << "no export call is under way";
    PluginInfoRecord prefill{};
    prefill.Word8 = 8;
    prefill.Word40 = 40;
    const PluginInfo info = host.GetPluginInfo(prefill);

    EXPECT_EQ(info.structSize, static_cast<int>(sizeof(PluginInfoRecord)));
    EXPECT_EQ(info.words[2], 8);
    EXPECT_EQ(info.words[10], 40);
    EXPECT_EQ(info.words[5],
              static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(info.menuStringsAddress)));
    ASSERT_EQ(info.menuStrings.size(), 2u);
    const std::string &modulePath = info.menuStrings[0];
    EXPECT_EQ(modulePath, host.PluginPath());
    EXPECT_TRUE(fs::path(modulePath).is_absolute()) << modulePath;
    EXPECT_TRUE(fs::equivalent(modulePath, kFakePlugin)) << modulePath;
    EXPECT_EQ(info.menuStrings[1], host.PluginText(0));
    const auto texts = host.CallsOf<GetPluginTextCall>();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].pluginId, kPluginId);
    EXPECT_EQ(texts[0].number, 0);

    // A second host with its own copy of the library: each plug-in's calls
    // are served by its own host.
    const std::string copy = (fs::temp_directory_path() /
                              ("host-test-copy" + fs::path(kFakePlugin).extension().string()))
                                 .string();
    fs::copy_file(kFakePlugin, copy, fs::copy_options::overwrite_existing);
    ScriptedFrontend otherFrontend;
    Host other(otherFrontend);
    std::string error;
    ASSERT_TRUE(other.LoadPlugin(copy, &error)) << error;
    EXPECT_EQ(other.GetPluginInfo().menuStrings.at(0), other.PluginPath());
    EXPECT_EQ(other.CallsOf<GetPluginTextCall>().size(), 1u);
    EXPECT_EQ(host.CallsOf<GetPluginTextCall>().size(), 1u);
    other.UnloadPlugin();
    fs::remove(copy);

    // A missing library fails with a reason.
    error.clear();
    EXPECT_FALSE(other.LoadPlugin(kFakePlugin + ".missing", &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(HostTest, ModulePathIsResolvedOrOverriddenWithinItsField) {
    host.UnloadPlugin();
    // A roundabout path still reaches the plug-in as the plain full path.
    const fs::path library(kFakePlugin);
    const std::string roundabout =
        (library.parent_path() / ".." / library.parent_path().filename() / library.filename())
            .string();
    ASSERT_TRUE(host.LoadPlugin(roundabout));
    EXPECT_EQ(host.GetPluginInfo().menuStrings.at(0).find(".."), std::string::npos);

    host.UnloadPlugin();
    host.OverrideModulePath(std::string(300, 'm'));
    ASSERT_TRUE(host.LoadPlugin(kFakePlugin));
    EXPECT_EQ(host.GetPluginInfo().menuStrings.at(0), std::string(260, 'm'));
}

TEST_F(HostTest, MenuArgumentsAreCopiedAndTheBreakCodeWrittenBack) {
    frontend.menuAnswers = {{2, 1}};
    int shown = 0;
    frontend.whileMenuShown = [&](const MenuCall &) { ++shown; };
    EXPECT_EQ(host.OpenPlugin(0, fake_plugin::kMenu), -1);
    host.OpenPlugin(0, fake_plugin::kMenu);  // the queue is empty: a cancel

    EXPECT_EQ(shown, 2);
    EXPECT_THAT(Reports(), ElementsAre("break 1 result 2", "break -1 result -1"));
    const MenuCall menu = host.CallsOf<MenuCall>().at(0);
    EXPECT_EQ(menu.pluginId, kPluginId);
    EXPECT_EQ(menu.x, -1);
    EXPECT_EQ(menu.maxHeight, 0);
    EXPECT_EQ(menu.flags, 2u);
    EXPECT_EQ(menu.title, "Title []");
    EXPECT_EQ(menu.bottom, "bottom");
    EXPECT_EQ(menu.helpTopic, std::nullopt);
    EXPECT_THAT(menu.breakKeys, ElementsAre('A', 8, 116));
    EXPECT_TRUE(menu.hasBreakCode);
    EXPECT_EQ(menu.breakCodeBefore, 7);
    EXPECT_EQ(menu.itemCount, 3);
    ASSERT_EQ(menu.items.size(), 3u);
    EXPECT_EQ(menu.items[1].text, "two");
    EXPECT_EQ(menu.items[1].selected, 1);
    EXPECT_EQ(menu.items[2].text, std::string(128, 'x'));  // read within its field
}

TEST_F(HostTest, AnEditorOpenedFromTheMenuRaisesTheEventInsideTheCall) {
    frontend.menuAnswers = {{1, -1}};
    host.OpenPlugin(0, fake_plugin::kMenu);

    ASSERT_EQ(host.Windows().size(), 2u);
    EXPECT_EQ(host.Windows()[1].type, host::kEditorWindow);
    EXPECT_EQ(host.Windows()[1].name, "two");
    EXPECT_EQ(host.CurrentWindow(), 1);
    const std::vector<Call> &calls = host.Calls();
    ASSERT_EQ(calls.size(), 4u);
    ASSERT_TRUE(std::holds_alternative<OpenEditorCall>(calls[1]));
    const auto &open = std::get<OpenEditorCall>(calls[1]);
    EXPECT_EQ(open.fileName, "two");
    EXPECT_EQ(open.title, std::nullopt);
    EXPECT_EQ(open.x2, -1);
    EXPECT_EQ(open.flags, 1u);
    EXPECT_EQ(open.startColumn, -1);
    ASSERT_TRUE(std::holds_alternative<EditorCommandCall>(calls[2]));
    EXPECT_EQ(std::get<EditorCommandCall>(calls[2]).command, host::kEditorCommandGetInfo);
    EXPECT_THAT(Reports(), ElementsAre("opened two 1"));

    // Switching windows raises nothing.
    host.ClearCalls();
    host.SwitchTo(0);
    host.SwitchTo(1);
    EXPECT_TRUE(host.Calls().empty());
}

TEST_F(HostTest, EditorFileNameIsTheCurrentEditorsOrTheTestsChoice) {
    host.ProcessEditorEvent(host::kEditorEventOpened);  // only the panels
    host.AddWindow({host::kEditorWindow, "a.txt"});
    host.ProcessEditorEvent(host::kEditorEventOpened);  // not current yet
    host.SwitchTo(1);
    host.ProcessEditorEvent(host::kEditorEventOpened);
    host.SetEditorFileName("set.txt");
    host.ProcessEditorEvent(host::kEditorEventOpened);
    host.SetEditorFileName(std::nullopt);
    host.ProcessEditorEvent(host::kEditorEventOpened);
    host.ClearEditorFileName();
    host.ProcessEditorEvent(host::kEditorEventOpened);
    host.ProcessEditorEvent(5);  // the fake ignores other events

    EXPECT_THAT(Reports(), ElementsAre("opened (none) 0", "opened (none) 0", "opened a.txt 1",
                                       "opened set.txt 1", "opened (none) 0", "opened a.txt 1"));
}

TEST_F(HostTest, PromptAnswersAreTruncatedToTheDestination) {
    frontend.promptAnswers = {{true, "abcdefghijk"}, {true, "ab"}, {false, "xyz"}};
    for (int i = 0; i < 3; ++i) host.OpenPlugin(0, fake_plugin::kPrompt);

    EXPECT_THAT(Reports(), ElementsAre("prompt 1 abcdefg|####", "prompt 1 ab|#########",
                                       "prompt 0 ############"));
    const PromptCall prompt = host.CallsOf<PromptCall>().at(0);
    EXPECT_EQ(prompt.title, "Title");
    EXPECT_EQ(prompt.prompt, "Prompt");
    EXPECT_EQ(prompt.historyName, std::nullopt);
    EXPECT_EQ(prompt.initialText, "100");
    EXPECT_EQ(prompt.destSize, fake_plugin::kPromptDestSize);
}

TEST_F(HostTest, WindowQueriesFillTypeAndNameAndSwitchWithoutEvents) {
    const std::string longName(300, 'v');
    host.AddWindow({host::kEditorWindow, "c:\\a.txt"});
    host.AddWindow({2, longName});
    host.OpenPlugin(2, fake_plugin::kWindows);  // then switches to window 2

    const std::string untouched = std::to_string(0x5A5A5A5A) + " " + std::string(260, 'Z');
    EXPECT_THAT(Reports(), ElementsAre("1 1 ", "1 3 c:\\a.txt", "1 2 " + longName.substr(0, 260),
                                       "0 " + untouched));
    EXPECT_EQ(host.CurrentWindow(), 2);
    const auto commands = host.CallsOf<HostCommandCall>();
    ASSERT_EQ(commands.size(), 6u);
    EXPECT_EQ(commands[0].command, host::kHostCommandGetWindowCount);
    EXPECT_EQ(commands[4].windowPos, 3);
    EXPECT_EQ(commands[5].command, host::kHostCommandSetCurrentWindow);
    EXPECT_EQ(commands[5].param, 2);
}

}  // namespace
