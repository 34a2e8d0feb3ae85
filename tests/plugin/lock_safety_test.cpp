// Copies that record at once where waiting alone would not do: a holder
// stopped in the middle of its save, a folder that takes no new files,
// another user watching. In host processes of their own, through the real
// exports: no name is lost, none written twice, no line spliced, nothing
// private shown.
#include <gmock/gmock.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "platform/platform.h"
#include "plugin/plugin_fixture.h"
#include "plugin/run_program.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// A recorder's names: PREFIX0, PREFIX1, ...
std::vector<std::string> Names(const std::string &prefix, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
    return names;
}

// What the history holds against what it must: names missing, names held
// twice, and lines that are no one's (spliced, say).
struct Tally {
    std::vector<std::string> lost, twice, strange;
};

Tally Count(const std::vector<std::string> &history, const std::set<std::string> &expected) {
    Tally tally;
    std::set<std::string> seen;
    for (const std::string &entry : history) {
        if (!expected.count(entry)) tally.strange.push_back(entry);
        if (!seen.insert(entry).second) tally.twice.push_back(entry);
    }
    for (const std::string &name : expected)
        if (!seen.count(name)) tally.lost.push_back(name);
    return tally;
}

#define EXPECT_KEPT(history, expected)                                        \
    do {                                                                      \
        const Tally tally = Count(history, expected);                         \
        EXPECT_THAT(tally.lost, ::testing::IsEmpty()) << "names lost";        \
        EXPECT_THAT(tally.twice, ::testing::IsEmpty()) << "names twice";      \
        EXPECT_THAT(tally.strange, ::testing::IsEmpty()) << "no one's lines"; \
    } while (false)

// A folder that takes no new files: copies rewrite the history in place,
// and take turns. Some of their names are new, some move old entries.
TEST_F(PluginTest, CopiesRewritingInPlaceTakeTurns) {
    const std::vector<std::string> base = Names(dir.File("old-"), 20000);
    WriteHistory(base);
    std::set<std::string> expected(base.begin(), base.end());
    std::vector<Program> copies;
    for (int p = 0; p < 3; ++p) {
        std::vector<std::string> arguments{QUORVEL_SIM_COPY, QUORVEL_SIM_PLUGIN, LibraryPath(),
                                           "--refuse"};
        for (int i = 0; i < 100; ++i) {
            // Each third name moves an old entry, one no other copy moves.
            arguments.push_back(i % 3 == 0 ? base[static_cast<std::size_t>(p * 1000 + i)]
                                           : "new-" + std::to_string(p) + "-" + std::to_string(i));
            expected.insert(arguments.back());
        }
        copies.emplace_back(arguments);
    }
    for (Program &copy : copies) EXPECT_EQ(copy.Wait(), 0);
    EXPECT_KEPT(History(), expected);
    EXPECT_EQ(ListFolder(dir.Root()), AtRest()) << "a folder that takes no new files";
}

// A copy killed at any call of its rewrite in place leaves no history that
// looks written by another program: the next copy saves at once, where a
// name left waiting would die with its copy (no record can be made there).
TEST_F(PluginTest, ACopyKilledInItsRewriteInPlaceLeavesNoHistoryThatLooksBusy) {
    WriteHistory(Names(dir.File("old-"), 2000));
    for (int call = 1; call <= 24; ++call) {
        const std::string tag = std::to_string(call);
        const int code = RunProgram({QUORVEL_SIM_COPY, QUORVEL_SIM_PLUGIN, LibraryPath(),
                                     "--refuse", "--crash-at", tag, "killed-" + tag});
        EXPECT_TRUE(code == 0 || code == 77) << code;
        EXPECT_EQ(RunProgram({QUORVEL_SIM_COPY, QUORVEL_SIM_PLUGIN, LibraryPath(), "--refuse",
                              "next-" + tag}),
                  0);
        EXPECT_EQ(History().back(), "next-" + tag) << "killed at call " << call;
    }
}

// The library replaced while copies run, as an upgrade under hosts that
// stay open does: copies of the old file and of the new one take one lock,
// and lose no name.
TEST_F(PluginTest, CopiesOfAReplacedLibraryAndOfItsSuccessorTakeOneLock) {
    WriteHistory({"old"});
    std::set<std::string> expected{"old", "last"};
    std::vector<Program> copies;
    const auto start = [&](const std::string &prefix) {
        copies.emplace_back(
            std::vector<std::string>{QUORVEL_RECORDER, LibraryPath(), "--many", prefix, "100"});
        for (const std::string &name : Names(prefix, 100)) expected.insert(name);
    };
    for (int p = 0; p < 5; ++p) start("before" + std::to_string(p) + "-");
    // Each has loaded the old file, and saved with it.
    for (int p = 0; p < 5; ++p) {
        const std::string prefix = "before" + std::to_string(p) + "-";
        const auto saved = [&] {
            const std::vector<std::string> history = History();
            return std::any_of(history.begin(), history.end(), [&](const std::string &entry) {
                return entry.rfind(prefix, 0) == 0;
            });
        };
        while (!saved()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    fs::rename(LibraryPath(), LibraryPath() + ".old");
    fs::copy_file(QUORVEL_PLUGIN, LibraryPath());
    for (int p = 0; p < 5; ++p) start("after" + std::to_string(p) + "-");
    for (Program &copy : copies) EXPECT_EQ(copy.Wait(), 0);
    EXPECT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), "last"}), 0);
    EXPECT_KEPT(History(), expected);
}

// A scanner holds the history open for a while after each close, which on
// Windows refuses every rename over it: recordings meanwhile wait beside it
// rather than freeze the editor, and a trim, which the user waits for,
// waits longer and is saved once the scanner lets go.
TEST_F(PluginTest, AReaderHoldingTheHistoryDelaysButLosesNoChange) {
    const std::vector<std::string> base = Names(dir.File("old-"), 200);
    WriteHistory(base);
    Load();
    std::set<std::string> expected{"last"};
    std::thread scanner([path = HistoryPath()] {
        std::ifstream held(path, std::ios::binary);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    std::vector<Program> copies;
    for (const std::string prefix : {"a-", "b-", "c-"}) {
        copies.emplace_back(
            std::vector<std::string>{QUORVEL_RECORDER, LibraryPath(), "--many", prefix, "20"});
        for (const std::string &name : Names(prefix, 20)) expected.insert(name);
    }
    ui.menuAnswers = {Key(kDelete)};
    ui.promptAnswers = {{true, "100"}};
    host.OpenPlugin();
    scanner.join();
    for (Program &copy : copies) EXPECT_EQ(copy.Wait(), 0);
    EXPECT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), "last"}), 0);
    const std::vector<std::string> history = History();
    const auto old = std::count_if(history.begin(), history.end(), [&](const std::string &entry) {
        return entry.rfind(dir.File("old-"), 0) == 0;
    });
    EXPECT_LE(old, 100) << "the trim was not saved";
    for (const std::string &name : expected)
        EXPECT_EQ(std::count(history.begin(), history.end(), name), 1) << name;
}

// A copy stopped at each step of its change in turn, holding
// the lock, while one or three others record; then it goes on. The others
// never pass it: their names wait beside the history, and the next change
// takes them up.
TEST_F(PluginTest, ACopyStoppedAtAnyStepOfItsSaveLosesNoOnesName) {
    const std::vector<std::string> base = Names(dir.File("old-"), 50);
    WriteHistory(base);
    std::set<std::string> expected(base.begin(), base.end());
    int stopped = 0;
    for (const int others : {1, 3}) {
        for (int step = 1; step <= 14; ++step) {
            SCOPED_TRACE(std::to_string(others) + " others, stopped at call " +
                         std::to_string(step));
            const std::string tag = std::to_string(others) + "-" + std::to_string(step) + "-";
            Program stalled({QUORVEL_SIM_COPY, QUORVEL_SIM_PLUGIN, LibraryPath(), "--stop-at",
                             std::to_string(step), "stopped-" + tag});
            expected.insert("stopped-" + tag);
            stopped += stalled.WaitUntilStopped();
            std::vector<Program> copies;
            for (int p = 0; p < others; ++p) {
                const std::string prefix = "other-" + tag + std::to_string(p) + "-";
                copies.emplace_back(std::vector<std::string>{QUORVEL_SIM_COPY, QUORVEL_SIM_PLUGIN,
                                                             LibraryPath(), "--patience", "50",
                                                             prefix + "0", prefix + "1"});
                expected.insert({prefix + "0", prefix + "1"});
            }
            for (Program &copy : copies) EXPECT_EQ(copy.Wait(), 0);
            stalled.Resume();
            EXPECT_EQ(stalled.Wait(), 0);
            EXPECT_EQ(
                RunProgram({QUORVEL_SIM_COPY, QUORVEL_SIM_PLUGIN, LibraryPath(), "next-" + tag}),
                0);
            expected.insert("next-" + tag);
            EXPECT_KEPT(History(), expected);
        }
    }
    EXPECT_GE(stopped, 16) << "most steps are inside the save";
}

// Another program rewrites the history in place, as cp over it does, and
// stops halfway while copies record: none saves over the half file, and once
// it is whole and closed the next change takes their names up.
TEST_F(PluginTest, NoCopySavesOverAHistoryAnotherProgramIsWriting) {
    const std::vector<std::string> base = Names(dir.File("old-"), 3000);
    std::set<std::string> expected(base.begin(), base.end());
    std::string bytes;
    for (const std::string &name : base) bytes += name + "\r\n";
    WriteHistory(base);
    std::ofstream out(HistoryPath(), std::ios::binary | std::ios::trunc);
    // Halfway, in a line: what a copy can see of a write under way.
    const std::size_t half = bytes.size() / 2 + (bytes[bytes.size() / 2 - 1] == '\n');
    out.write(bytes.data(), static_cast<std::streamsize>(half)).flush();
    std::vector<Program> copies;
    for (const char *prefix : {"a-", "b-", "c-"}) {
        copies.emplace_back(std::vector<std::string>{
            QUORVEL_SIM_COPY, QUORVEL_SIM_PLUGIN, LibraryPath(), "--patience", "50",
            std::string(prefix) + "0", std::string(prefix) + "1"});
        expected.insert({std::string(prefix) + "0", std::string(prefix) + "1", "last"});
    }
    for (Program &copy : copies) EXPECT_EQ(copy.Wait(), 0);
    out.write(bytes.data() + half, static_cast<std::streamsize>(bytes.size() - half));
    out.close();
    // Closed and whole: the next change saves at once, and takes theirs up.
    EXPECT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), "last"}), 0);
    EXPECT_KEPT(History(), expected);
}

// Under a record's name, only one line in a plain file of this user's (or
// the history's owner's) is taken up: a link is never read through, even in
// the place of the copy's own record (it could lead a holder to a file only
// the history's owner may read); another user's file is left to them; a
// file of more lines is moved aside.
TEST_F(PluginTest, AHolderReadsNoLinkNoOtherUsersFileAndNoManyLinesAsARecord) {
    const auto record = [&](int n) {
        const std::string number = std::to_string(n);
        return HistoryPath() + ".pending." + std::string(32 - number.size(), '0') + number;
    };
    WriteHistory({"old"});
    WriteBytes(dir.File("private"), "secret\r\n");
    WriteBytes(record(1), "one\r\n");
    WriteBytes(record(2), "two\r\nlines\r\n");
    WriteBytes(record(3), "foreign\r\n");
    Load();
    bool foreign = false;
#ifndef _WIN32
    {
        const platform::HistoryLock held(HistoryPath().c_str(), LibraryPath().c_str(),
                                         platform::Patience::Brief);
        host.OpenEditorWindow("mine");
    }
    for (const auto &entry : fs::directory_iterator(dir.Root()))
        if (entry.path().string().size() == record(1).size() && entry.path() > record(3))
            fs::remove(entry.path()), fs::create_symlink(dir.File("private"), entry.path());
    fs::create_symlink(dir.File("private"), record(4));
    foreign = ::geteuid() == 0 && ::chown(record(3).c_str(), 65534, 65534) == 0;
#endif
    host.OpenEditorWindow("new");
    // The copy's own name it knows: laid on the history as read, before records.
    std::vector<std::string> expected{"old", "one", "new"};
    if (!foreign) expected.insert(expected.begin() + 2, "foreign");
    if (!kWindows) expected.insert(expected.begin() + 1, "mine");
    EXPECT_EQ(History(), expected);
    EXPECT_TRUE(fs::exists(record(2) + ".not-a-record"));
    EXPECT_EQ(fs::exists(record(3)), foreign);
}

#ifndef _WIN32
// Two users who may both write the history, in a folder both may write:
// their copies take one lock and each other's records, and lose no name.
// Neither is root, who may read anything.
TEST_F(PluginTest, TwoUsersWhoBothWriteTheHistoryLoseNoName) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
    ASSERT_EQ(::chmod(dir.Root().c_str(), 0777), 0);
    WriteHistory({"old"});
    ASSERT_EQ(::chmod(HistoryPath().c_str(), 0666), 0);
    const auto copyAs = [&](const std::string &user, const std::vector<std::string> &names) {
        std::vector<std::string> arguments{QUORVEL_SIM_COPY,
                                           QUORVEL_SIM_PLUGIN,
                                           LibraryPath(),
                                           "--as-user",
                                           user,
                                           "--patience",
                                           "50"};
        arguments.insert(arguments.end(), names.begin(), names.end());
        return Program(arguments);
    };
    std::set<std::string> expected{"old", "held-0", "held-1", "last"};
    for (int run = 0; run < 6; ++run) {
        std::vector<Program> copies;
        for (const std::string user : {"65533", "65534"}) {
            const std::vector<std::string> names =
                Names(user + "-" + std::to_string(run) + "-", 150);
            expected.insert(names.begin(), names.end());
            copies.push_back(copyAs(user, names));
        }
        for (Program &copy : copies) EXPECT_EQ(copy.Wait(), 0);
    }
    // A user's copies take up the records of their own user and of the
    // history's owner, never another's they cannot trust: the owner's names
    // wait in records while the lock is held...
    ASSERT_EQ(::chown(HistoryPath().c_str(), 65533, 65533), 0);
    {
        const platform::HistoryLock held(HistoryPath().c_str(), LibraryPath().c_str(),
                                         platform::Patience::Brief);
        EXPECT_EQ(copyAs("65533", {"held-0", "held-1"}).Wait(), 0);
    }
    // ...and the other user's next change takes them up, with its own.
    EXPECT_EQ(copyAs("65534", {"last"}).Wait(), 0);
    EXPECT_KEPT(History(), expected);
    EXPECT_EQ(ListFolder(dir.Root()), AtRest());
}

// Another user, in the same folder, tries to open every file beside a
// private history while copies save it again and again: every new file of
// a save is this user's alone from the first moment.
TEST_F(PluginTest, AnotherUserOpensNoFileOfAPrivateHistorysSave) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
    WriteHistory(Names(dir.File("old-"), 5000));
    ASSERT_EQ(::chmod(HistoryPath().c_str(), 0600), 0);
    ASSERT_EQ(::chmod(dir.Root().c_str(), 0755), 0);
    WriteBytes(dir.File("public"), "");  // shows that the watcher can open a file
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t watcher = ::fork();
    ASSERT_GE(watcher, 0);
    if (watcher == 0) {
        ::close(report[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(1);
        for (;;) {
            std::error_code error;
            for (const auto &entry : fs::directory_iterator(dir.Root(), error)) {
                const std::string name = entry.path().filename().string();
                if (name == "quorvel.ini" || name == "quorvel.so") continue;
                const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK);
                if (fd < 0) continue;
                ::close(fd);
                const char what = name == "public" ? 'p' : 'x';
                (void)!::write(report[1], &what, 1);
            }
        }
    }
    ::close(report[1]);
    EXPECT_EQ(RunProgram({QUORVEL_RECORDER, LibraryPath(), "--many", "new-", "200"}), 0);
    ::kill(watcher, SIGKILL);
    ::waitpid(watcher, nullptr, 0);
    std::string opened;
    char buffer[4096];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
        opened.append(buffer, static_cast<std::size_t>(n));
    ::close(report[0]);
    EXPECT_NE(opened.find('p'), std::string::npos) << "the watcher never got to look";
    EXPECT_EQ(opened.find('x'), std::string::npos) << "another user opened a file of the save";
}
#endif

}  // namespace
