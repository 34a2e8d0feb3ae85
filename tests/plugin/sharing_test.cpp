// Several host processes sharing one history: recording in turn or all at
// once, trimming and purging while another records, and a copy killed in
// the middle of a save. None loses another's entries, and nothing is left
// beside the history once no save is under way.
#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include "platform/platform.h"
#include "plugin/plugin_fixture.h"
#include "plugin/run_program.h"

namespace {

using ::testing::ElementsAre;
namespace fs = std::filesystem;

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

TEST_F(PluginTest, ProcessesRecordingAtOnceLoseNothingWhileAnotherReads) {
    constexpr int kProcesses = 3, kNames = 200;
    std::atomic<bool> recording{true};
    std::thread reader([&] {
        while (recording) {
            (void)ReadBytes(HistoryPath());
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    std::vector<Program> recorders;
    std::set<std::string> recorded;
    for (int p = 0; p < kProcesses; ++p) {
        const std::string prefix = "copy" + std::to_string(p) + "-";
        recorders.emplace_back(std::vector<std::string>{QUORVEL_RECORDER, LibraryPath(), "--many",
                                                        prefix, std::to_string(kNames)});
        for (int i = 0; i < kNames; ++i) recorded.insert(prefix + std::to_string(i));
    }
    for (Program &recorder : recorders) EXPECT_EQ(recorder.Wait(), 0);
    recording = false;
    reader.join();
    // What waits for a holder is taken up by the next change.
    ASSERT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), "last"}), 0);
    recorded.insert("last");

    const std::vector<std::string> history = History();
    const std::set<std::string> kept(history.begin(), history.end());
    std::size_t lost = 0;
    for (const std::string &name : recorded) lost += kept.count(name) == 0;
    EXPECT_EQ(lost, 0u) << "names lost out of " << recorded.size();
    EXPECT_EQ(history.size(), recorded.size());
    EXPECT_EQ(ListFolder(dir.Root()), AtRest());
}

// A copy that hangs while it holds the lock is never passed: other copies'
// recordings wait beside the history, this copy's menu shows its own, and
// once the lock is free its menu's next opening takes up every copy's.
TEST_F(PluginTest, ACopyHoldingTheLockIsNeverPassedAndWhatWaitsReachesTheNextMenu) {
    Load();
    {
        const platform::HistoryLock hung(HistoryPath().c_str(), LibraryPath().c_str(),
                                         platform::Patience::Brief);
        ASSERT_TRUE(hung.Held());
        host.OpenEditorWindow("a.txt");
        ASSERT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), "c.txt"}), 0);
        EXPECT_FALSE(HistoryExists()) << "a copy replaced the history past the holder";
        ui.menuAnswers = {Choose(-1)};
        host.OpenPlugin();
        ASSERT_FALSE(Menus().empty());
        EXPECT_THAT(Texts(Menus().back()), ElementsAre("a.txt"));
    }
    ui.menuAnswers = {Choose(-1)};
    host.OpenPlugin();
    EXPECT_THAT(Texts(Menus().back()), ElementsAre("a.txt", "c.txt"));
    EXPECT_THAT(History(), ElementsAre("a.txt", "c.txt"));
    EXPECT_EQ(ListFolder(dir.Root()), AtRest());
}

// A large history makes each save long enough to be caught in the middle.
TEST_F(PluginTest, ACopyKilledWhileSavingLeavesNoDebrisAndLosesNothing) {
    std::vector<std::string> base;
    for (int i = 0; i < 20000; ++i) base.push_back(dir.File("base") + std::to_string(i));
    WriteHistory(base);
    std::mt19937 random(20261208);
    std::vector<std::string> completed;
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        const auto before = fs::last_write_time(HistoryPath());
        Program saver({QUORVEL_RECORDER, LibraryPath(), "--forever", "killed-"});
        // Killed once it is saving over and over.
        for (int wait = 0; wait < 2000 && fs::last_write_time(HistoryPath()) == before; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
        saver.Kill();

        completed.push_back("after" + std::to_string(round));
        ASSERT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), completed.back()}), 0);
        EXPECT_EQ(ListFolder(dir.Root()), AtRest());
        const std::string bytes = ReadBytes(HistoryPath()).value_or("");
        ASSERT_TRUE(bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n");
        const std::vector<std::string> history = History();
        const std::set<std::string> kept(history.begin(), history.end());
        for (const auto *names : {&base, &completed})
            for (const std::string &name : *names) EXPECT_EQ(kept.count(name), 1u) << name;
        for (const std::string &entry : history)
            EXPECT_TRUE(entry.rfind(dir.File("base"), 0) == 0 || entry.rfind("killed-", 0) == 0 ||
                        entry.rfind("after", 0) == 0)
                << entry;
    }
}

// The menu is open in this copy while another records, right after another
// program wrote the history; Delete and F5 then act on the history as the
// file holds it, the other's entry included, each saved at once.
TEST_F(PluginTest, TrimAndPurgeKeepWhatAnotherCopyRecordedMeanwhile) {
    const std::string a = dir.File("a"), b = dir.File("b"), c = dir.File("c"), d = dir.File("d");
    for (const std::string &file : {a, b, c, d}) WriteBytes(file, "");
    struct Case {
        int key;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {kDelete, {c, d}},
        {kF5, {a, b, c, d}},
    };
    Load();
    for (const Case &test : cases) {
        SCOPED_TRACE(test.key);
        WriteHistory({a, dir.File("gone"), b, c});
        ui.whileMenuShown = [&, first = true](const hostsim::MenuCall &) mutable {
            if (first) {
                ASSERT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), d}), 0);
            }
            first = false;
        };
        ui.menuAnswers = {Key(test.key)};
        ui.promptAnswers = {{true, "2"}};
        host.OpenPlugin();
        EXPECT_EQ(History(), test.kept);
        EXPECT_EQ(ListFolder(dir.Root()).find(".pending"), std::string::npos);
    }
}

}  // namespace
