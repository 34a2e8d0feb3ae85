// Startup and registration: the plug-in menu entry, the record words the
// plug-in leaves alone, and the module path read within its field.
#include <gmock/gmock.h>

#include "plugin/plugin_fixture.h"

namespace {

using ::testing::ElementsAre;

TEST_F(PluginTest, RegistersTheHostsTextZeroAndLeavesTheHostsWordsAlone) {
    Load();
    PluginInfoRecord prefill{};
    prefill.Word8 = 8;
    prefill.Word12 = 12;
    prefill.Word16 = 16;
    prefill.Word28 = 28;
    prefill.Word32 = 32;
    prefill.Pointer36 = &prefill;
    prefill.Word40 = 40;
    const hostsim::PluginInfo first = host.GetPluginInfo(prefill);
    host.SetPluginText(0, "Renamed");
    const hostsim::PluginInfo second = host.GetPluginInfo(prefill);

    EXPECT_EQ(first.structSize, static_cast<std::int32_t>(sizeof(PluginInfoRecord)));
    EXPECT_EQ(first.flags, 4);
    EXPECT_THAT(first.words,
                ElementsAre(first.structSize, 4, 8, 12, 0, first.words[5], 1, 28, 0, 0, 40));
    EXPECT_THAT(first.menuStrings, ElementsAre("File history"));
    // The text is fetched afresh each time, into the same array.
    EXPECT_THAT(second.menuStrings, ElementsAre("Renamed"));
    EXPECT_EQ(second.menuStringsAddress, first.menuStringsAddress);
}

#ifndef _WIN32  // a 264-byte history path is too long for Windows
TEST_F(PluginTest, ModulePathIsReadWithinItsField) {
    // 260 bytes with no NUL: the history file is named after exactly these.
    std::string modulePath = dir.File("m");
    modulePath += std::string(260 - modulePath.size(), 'm');
    host.OverrideModulePath(modulePath);
    Load();
    host.OpenEditorWindow("a.txt");
    EXPECT_EQ(ReadBytes(modulePath + ".ini"), "a.txt\r\n");
}
#endif

}  // namespace
