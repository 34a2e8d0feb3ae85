// Saving never damages the history file: a failure at any step leaves it
// byte for byte as it was, and no reader ever sees a partial file.
#include <gtest/gtest.h>

#include <filesystem>

#include "history/history_test_support.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <thread>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using platform::fault::Call;

Call failing;
int remainingSuccesses = 0;  // calls of the failing kind that still succeed

bool FailSelected(Call call, const char *) {
    if (call != failing) return false;
    return remainingSuccesses-- <= 0;
}

class SaveSafety : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.File("quorvel.ini");
        WriteBytes(path, kOld);
        // Enough entries that the writer hands over more than one block.
        for (int i = 0; i < 40000; ++i)
            fresh.push_back("C:\\new\\entry-number-" + std::to_string(i) + ".txt");
        SetEntries(list, fresh);
    }
    void TearDown() override { platform::fault::SetHook(nullptr); }

    void FailAt(Call call, int successesFirst = 0) {
        failing = call;
        remainingSuccesses = successesFirst;
        platform::fault::SetHook(&FailSelected);
    }

    static constexpr const char *kOld = "C:\\old\\a.txt\r\nC:\\old\\b.txt\r\n";
    TempDir dir;
    std::string path;
    std::vector<std::string> fresh;
    CursorList list;
};

TEST_F(SaveSafety, SucceedsLeavingOnlyTheHistoryFile) {
    ASSERT_EQ(list.SaveToFile(path.c_str()), 1);
    CursorList back;
    ASSERT_EQ(back.LoadFromFile(path.c_str()), 1);
    EXPECT_EQ(Entries(back), fresh);
    EXPECT_EQ(ListFolder(dir.Root()), "quorvel.ini\n");
}

TEST_F(SaveSafety, AFailureAtAnyStepKeepsTheOldFile) {
    struct Step {
        Call call;
        int successesFirst;
        const char *name;
    };
    const Step steps[] = {
        {Call::Write, 0, "first write"},
        {Call::Write, 1, "later write"},
        {Call::Flush, 0, "flush"},
        {Call::Replace, 0, "replace"},
#ifndef _WIN32
        // The new file could end up readable by more users than the old.
        {Call::CopyPermissions, 0, "permissions"},
#endif
    };
    for (const Step &step : steps) {
        FailAt(step.call, step.successesFirst);
        EXPECT_EQ(list.SaveToFile(path.c_str()), 0) << step.name;
        platform::fault::SetHook(nullptr);
        EXPECT_EQ(ReadBytes(path), kOld) << step.name;
        EXPECT_EQ(ListFolder(dir.Root()), "quorvel.ini\n") << step.name << " left a temporary file";
    }
}

// A full disk or no handles left fail the save; only a folder that takes no
// new files has the history rewritten in place, and any failure there puts
// the old bytes back.
TEST_F(SaveSafety, OnlyAFolderThatRefusesNewFilesHasTheHistoryRewrittenInPlace) {
    FailAt(Call::CreateTemporary);
    EXPECT_EQ(list.SaveToFile(path.c_str()), 0);
    EXPECT_EQ(ReadBytes(path), kOld);

    FailAt(Call::RefuseTemporary);
    ASSERT_EQ(list.SaveToFile(path.c_str()), 1);
    CursorList back;
    ASSERT_EQ(back.LoadFromFile(path.c_str()), 1);
    EXPECT_EQ(Entries(back), fresh);
    EXPECT_EQ(ListFolder(dir.Root()), "quorvel.ini\n");

    // Longer and shorter than the file it replaces: every step can fail.
    CursorList shorter;
    SetEntries(shorter, {"C:\\x"});
    struct Step {
        const CursorList &contents;
        Call call;
        int successesFirst;
    };
    const Step steps[] = {
        {list, Call::Write, 0},    {list, Call::Write, 1},    {list, Call::Truncate, 0},
        {list, Call::Flush, 0},    {shorter, Call::Write, 0}, {shorter, Call::Truncate, 0},
        {shorter, Call::Flush, 0},
    };
    const std::string old = ReadBytes(path).value() + "C:\\old\\c.txt\r\n";
    for (const Step &step : steps) {
        SCOPED_TRACE(static_cast<int>(step.call) * 10 + step.successesFirst);
        WriteBytes(path, old);
        failing = step.call;
        remainingSuccesses = step.successesFirst;
        platform::fault::SetHook([](Call call, const char *file) {
            return call == Call::RefuseTemporary || FailSelected(call, file);
        });
        EXPECT_EQ(step.contents.SaveToFile(path.c_str()), 0);
        platform::fault::SetHook(nullptr);
        EXPECT_EQ(ReadBytes(path), old);
    }

    // Nor is a missing history file created in place.
    FailAt(Call::RefuseTemporary);
    EXPECT_EQ(list.SaveToFile(dir.File("other.ini").c_str()), 0);
    EXPECT_FALSE(fs::exists(dir.File("other.ini")));
}

TEST_F(SaveSafety, AReadOnlyHistoryIsLoadedButNeverReplaced) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(list.SaveToFile(path.c_str()), 0) << "even root must not replace a read-only file";
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(ListFolder(dir.Root()), "quorvel.ini\n");
    CursorList back;
    EXPECT_EQ(back.LoadFromFile(path.c_str()), 1);
    EXPECT_EQ(Entries(back), (std::vector<std::string>{"C:\\old\\a.txt", "C:\\old\\b.txt"}));
}

// What hosts are told before a change must be what the save then does.
TEST_F(SaveSafety, CanReplaceForetellsWhetherASaveGoesAhead) {
    const std::string readOnly = dir.File("read-only.ini");
    WriteBytes(readOnly, kOld);
    fs::permissions(readOnly,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::string folder = dir.File("folder.ini");
    fs::create_directory(folder);
    struct Case {
        const char *name;
        std::string path;
        bool folderRefuses;
        bool saved;
    };
    const Case cases[] = {
        {"a writable file", path, false, true},
        {"no file yet", dir.File("new.ini"), false, true},
        {"a read-only file", readOnly, false, false},
        {"a folder in its place", folder, false, false},
        {"in place, where the folder refuses new files", path, true, true},
        {"no file, where the folder refuses new files", dir.File("none.ini"), true, false},
    };
    for (const Case &c : cases) {
        if (c.folderRefuses) FailAt(Call::RefuseTemporary);
        EXPECT_EQ(platform::CanReplace(c.path.c_str()), c.saved) << c.name;
        EXPECT_EQ(list.SaveToFile(c.path.c_str()), c.saved ? 1 : 0) << c.name;
        platform::fault::SetHook(nullptr);
    }
}

TEST_F(SaveSafety, AFolderInThePlaceOfTheFileIsLeftAlone) {
    const std::string folder = dir.File("folder.ini");
    fs::create_directory(folder);
    EXPECT_EQ(list.SaveToFile(folder.c_str()), 0);
    EXPECT_TRUE(fs::is_directory(folder));
}

#ifdef _WIN32
// Another copy reading the file holds it open without delete sharing, which
// refuses the replace for as long as it lasts.
TEST_F(SaveSafety, AReplaceRefusedForAMomentIsRetried) {
    const auto holdFile = [&] {
        return ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE reader = holdFile();
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(list.SaveToFile(path.c_str()), 0) << "held throughout: the save fails";
    EXPECT_EQ(ReadBytes(path), kOld);
    ::CloseHandle(reader);
    EXPECT_EQ(ListFolder(dir.Root()), "quorvel.ini\n");

    reader = holdFile();
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::thread release([reader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ::CloseHandle(reader);
    });
    EXPECT_EQ(list.SaveToFile(path.c_str()), 1) << "released within the retries";
    release.join();
    CursorList back;
    ASSERT_EQ(back.LoadFromFile(path.c_str()), 1);
    EXPECT_EQ(Entries(back), fresh);
}
#else
TEST_F(SaveSafety, KeepsPermissionBitsAndSymbolicLinks) {
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(list.SaveToFile(path.c_str()), 1);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    fs::create_directory(dir.File("real"));
    const std::string target = dir.File("real/history.ini");
    WriteBytes(target, kOld);
    const std::string link = dir.File("link.ini");
    fs::create_symlink("real/history.ini", link);
    ASSERT_EQ(list.SaveToFile(link.c_str()), 1);
    EXPECT_TRUE(fs::is_symlink(link));
    CursorList back;
    ASSERT_EQ(back.LoadFromFile(target.c_str()), 1);
    EXPECT_EQ(Entries(back), fresh);
    EXPECT_EQ(ListFolder(dir.File("real")), "history.ini\n");
}
#endif

}  // namespace
