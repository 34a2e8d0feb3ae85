// A history file that exists but cannot be read or replaced is never
// replaced: what is recorded meanwhile waits in the copy's menu, beside the
// history only where the cause passes (a file held for now), never where it
// lasts, so that no files pile up there; and a trim changes only the list in
// memory. Once the file can be saved again, the next recording merges the
// waiting names into it.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

#include "plugin/plugin_fixture.h"

#ifdef _WIN32
#include <windows.h>

#include <thread>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

const std::string kOld = "old1\r\nold2\r\n";

struct Cause {
    const char *name;
    std::function<bool(const std::string &)> spoil;  // false: this system cannot show it
    std::function<void(const std::string &)> mend;
    bool passes = false;  // what is recorded meanwhile waits in a record beside it
};

void MakeWritable(const std::string &path, bool writable) {
    fs::permissions(path, fs::perms::owner_write,
                    writable ? fs::perm_options::add : fs::perm_options::remove);
}

TEST_F(PluginTest, AnUnsavableHistoryIsNeverReplacedAndOnlyAPassingCauseLeavesRecords) {
#ifdef _WIN32
    HANDLE holder = INVALID_HANDLE_VALUE;
#endif
    const Cause causes[] = {
        {"over 2 GiB",
         [](const std::string &path) {
             fs::resize_file(path, (std::uintmax_t{1} << 31) + 10);
             return true;
         },
         [](const std::string &path) { WriteBytes(path, kOld); }},
        {"read-only",
         [](const std::string &path) {
             MakeWritable(path, false);
             return true;
         },
         [](const std::string &path) { MakeWritable(path, true); }},
        {"a folder at its path",
         [](const std::string &path) {
             fs::remove(path);
             return fs::create_directory(path);
         },
         [](const std::string &path) {
             fs::remove(path);
             WriteBytes(path, kOld);
         }},
#ifdef _WIN32
        {"held by another program",
         [&](const std::string &path) {
             holder = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
             return holder != INVALID_HANDLE_VALUE;
         },
         [&](const std::string &) { ::CloseHandle(holder); }, true},
#else
        {"no read permission",
         [](const std::string &path) {
             ::chmod(path.c_str(), 0200);
             return ::access(path.c_str(), R_OK) != 0;
         },
         [](const std::string &path) { ::chmod(path.c_str(), 0600); }},
        {"a FIFO",
         [](const std::string &path) {
             fs::remove(path);
             return ::mkfifo(path.c_str(), 0600) == 0;
         },
         [](const std::string &path) {
             EXPECT_TRUE(fs::is_fifo(path));
             fs::remove(path);
             WriteBytes(path, kOld);
         }},
#endif
    };
    for (const Cause &cause : causes) {
        SCOPED_TRACE(cause.name);
        WriteBytes(HistoryPath(), kOld);
        if (!cause.spoil(HistoryPath())) {
            std::cout << "skipped \"" << cause.name << "\": this user reads any file\n";
            continue;
        }
        Load();
        for (const char *name : {"new1", "new2", "new3"}) host.OpenEditorWindow(name);
        EXPECT_EQ(ListFolder(dir.Root()) != AtRest(), cause.passes) << ListFolder(dir.Root());
        ui.menuAnswers = {Key(kDelete)};
        ui.promptAnswers = {{true, "3"}};
        host.OpenPlugin();
        EXPECT_THAT(Texts(Menus().back()), ::testing::IsSupersetOf({"new1", "new2", "new3"}));
        cause.mend(HistoryPath());
        EXPECT_EQ(ReadBytes(HistoryPath()), kOld);

        host.OpenEditorWindow("new4");
        EXPECT_THAT(History(), ElementsAre("old1", "old2", "new1", "new2", "new3", "new4"));
        EXPECT_EQ(ListFolder(dir.Root()), AtRest());
        host.UnloadPlugin();
    }
}

#ifndef _WIN32
// A history just under the loader's limit, 2 GiB less a byte: a recording
// that would take it past the limit is not written, as on a full disk, and
// the file stays as it was, readable. (A 32-bit process cannot hold it.)
TEST_F(PluginTest, ARecordingNeverTakesTheHistoryPastWhatCanBeRead) {
    constexpr std::uintmax_t kLimit = 0x7FFFFFFF;
    if (fs::space(dir.Root()).available < 5 * (std::uintmax_t{1} << 30))
        GTEST_SKIP() << "needs 5 GiB free for a 2 GiB history and its new file";
    {
        const std::string line(std::size_t{1} << 20, 'x');
        std::ofstream out(HistoryPath(), std::ios::binary);
        std::uintmax_t size = 0;
        while (size + line.size() + 2 <= kLimit - 10) {
            out << line << "\r\n";
            size += line.size() + 2;
        }
        out << std::string(kLimit - 10 - size - 2, 'y') << "\r\n";
    }
    ASSERT_EQ(fs::file_size(HistoryPath()), kLimit - 10);
    const auto written = fs::last_write_time(HistoryPath());
    Load();
    host.OpenEditorWindow("a name that does not fit");
    EXPECT_EQ(fs::file_size(HistoryPath()), kLimit - 10);
    EXPECT_EQ(fs::last_write_time(HistoryPath()), written);
    EXPECT_EQ(ListFolder(dir.Root()).find(".tmp"), std::string::npos) << "a new file stays";
}
#endif

#ifdef _WIN32
// A virus scanner holds a new or changed file for a moment; the host's
// start must not take that for an empty history.
TEST_F(PluginTest, AHistoryHeldForAMomentAtStartIsReadAfterAll) {
    WriteBytes(HistoryPath(), kOld);
    const HANDLE holder = ::CreateFileA(HistoryPath().c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ::CloseHandle(holder);
    });
    Load();
    release.join();
    host.OpenPlugin();
    EXPECT_THAT(Texts(Menus().at(0)), ElementsAre("old1", "old2"));
}
#endif

}  // namespace
