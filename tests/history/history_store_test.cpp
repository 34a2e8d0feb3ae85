// The history globals: where the file lives, loading, and noticing changes.
#include <gtest/gtest.h>

#include <filesystem>

#include "history/history.h"
#include "history/history_test_support.h"
#include "platform/fault.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string HistoryFor(const char *modulePath) {
    SetHistoryPath(modulePath);
    return HistoryPath.buf;
}

TEST(HistoryPathFromLibrary, OnlyTheExtensionChanges) {
#ifdef _WIN32
    EXPECT_EQ(HistoryFor("D:\\Tools\\X.DLL"), "d:\\tools\\x.ini");
    EXPECT_EQ(HistoryFor("C:\\a.dll\\Quorvel.Dll"), "c:\\a.dll\\quorvel.ini");
    EXPECT_EQ(HistoryFor("C:/plug.ins/q"), "c:/plug.ins/q.ini");
    EXPECT_EQ(HistoryFor("C:\\x\\Q.INI"), "c:\\x\\q.ini.ini");
#else
    EXPECT_EQ(HistoryFor("/opt/Tools/X.DLL"), "/opt/Tools/X.ini");
    EXPECT_EQ(HistoryFor("/usr/lib.dll/quorvel.so"), "/usr/lib.dll/quorvel.ini");
    EXPECT_EQ(HistoryFor("/plug.ins/quorvel"), "/plug.ins/quorvel.ini");
    EXPECT_EQ(HistoryFor("/x/Q.INI"), "/x/Q.INI.ini") << "never the library itself";
#endif
    EXPECT_EQ(HistoryFor("quorvel.so"), "quorvel.ini");
}

class HistoryStore : public ::testing::Test {
protected:
    void SetUp() override {
        SetHistoryPath(dir.File("quorvel.dll").c_str());
        path = HistoryPath.buf;
        HistoryList.Clear();
        HistoryStamp = {};
    }
    void TearDown() override {
        platform::fault::SetHook(nullptr);
        HistoryList.Clear();
    }

    TempDir dir;
    std::string path;
    platform::FileLook look;
};

TEST_F(HistoryStore, AMissingFileLeavesAnEmptyHistoryAndNoFile) {
    LoadHistory(look);
    EXPECT_EQ(HistoryList.count, 0);
    EXPECT_EQ(HistoryStamp, platform::FileStamp{});
    EXPECT_FALSE(fs::exists(path));
    SetEntries(HistoryList, {"C:\\a"});
    ReloadIfChanged(look);
    EXPECT_EQ(Entries(HistoryList), (Lines{"C:\\a"})) << "no file yet: memory stays";
    EXPECT_EQ(SaveHistory(look), platform::SaveOutcome::Saved);
    EXPECT_EQ(ReadBytes(path), "C:\\a\r\n");
}

TEST_F(HistoryStore, ReloadsOnlyWhenTheFileChanged) {
    WriteBytes(path, "one\r\n");
    LoadHistory(look);
    EXPECT_EQ(Entries(HistoryList), (Lines{"one"}));

    SetEntries(HistoryList, {"changed in memory"});
    ReloadIfChanged(look);
    EXPECT_EQ(Entries(HistoryList), (Lines{"changed in memory"})) << "same file, no reload";

    // Another copy saves: the same size and even the same write time still
    // count as a change, because every save makes a new file.
    const auto written = fs::last_write_time(path);
    CursorList other;
    SetEntries(other, {"two"});
    ASSERT_EQ(other.SaveToFile(path.c_str()), 1);
    fs::last_write_time(path, written);
    ReloadIfChanged(look);
    EXPECT_EQ(Entries(HistoryList), (Lines{"two"}));
}

TEST_F(HistoryStore, AFailedLoadIsRetriedAtTheNextCheck) {
    WriteBytes(path, "first\r\n");
    LoadHistory(look);
    // Something unreadable takes the file's place for a while.
    fs::remove(path);
    fs::create_directory(path);
    ReloadIfChanged(look);
    EXPECT_EQ(Entries(HistoryList), (Lines{"first"}));
    fs::remove(path);
    WriteBytes(path, "second\r\n");
    ReloadIfChanged(look);
    EXPECT_EQ(Entries(HistoryList), (Lines{"second"}));
}

TEST_F(HistoryStore, AFileThatCannotBeLookedAtOrReadIsUnread) {
    WriteBytes(path, "first\r\n");
    for (const platform::fault::Call call :
         {platform::fault::Call::FileStamp, platform::fault::Call::OpenToRead,
          platform::fault::Call::Read}) {
        static platform::fault::Call failing;
        failing = call;
        platform::fault::SetHook(
            [](platform::fault::Call c, const char *) { return c == failing; });
        SetEntries(HistoryList, {"stale"});
        EXPECT_EQ(ReloadIfChanged(look), FileState::Unread);
        EXPECT_EQ(Entries(HistoryList), (Lines{"stale"}));
        EXPECT_EQ(HistoryStamp, platform::FileStamp{});
    }
    platform::fault::SetHook(nullptr);
    EXPECT_EQ(ReloadIfChanged(look), FileState::Reloaded);
    EXPECT_EQ(Entries(HistoryList), (Lines{"first"}));
}

}  // namespace
