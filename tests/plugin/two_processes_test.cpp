// Two host processes that load the same library share its history file:
// recording in turn, neither loses the other's entries.
#include <gmock/gmock.h>

#include "plugin/plugin_fixture.h"
#include "plugin/run_program.h"

namespace {

TEST_F(PluginTest, TwoHostProcessesRecordingInTurnKeepEachOthersEntries) {
    Load();
    std::vector<std::string> expected;
    for (int round = 0; round < 3; ++round) {
        const std::string here = "here" + std::to_string(round) + ".txt";
        const std::string there = "there" + std::to_string(round) + ".txt";
        host.OpenEditorWindow(here);
        ASSERT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), there}), 0);
        expected.insert(expected.end(), {here, there});
    }
    host.OpenEditorWindow("here.txt");
    expected.push_back("here.txt");
    EXPECT_EQ(History(), expected);
}

}  // namespace
