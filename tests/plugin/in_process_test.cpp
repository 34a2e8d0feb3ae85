// Checks that need the plug-in's code in this process: the menu height from
// the console's rows (a platform hook), and the allocations made inside an
// export (a replaced allocator). The few host services they use are stubs.
#include <gmock/gmock.h>

#include <array>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types it needs.
#include <aclapi.h>

#include "platform/system.h"
#endif

#include "history/history.h"
#include "platform/fault.h"
#include "plugin/break_keys.h"
#include "plugin/export.h"
#include "support/allocation_limit.h"
#include "support/list_entries.h"
#include "support/temp_dir.h"

namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;

int shownHeight = 0;
const char *editorFileName = nullptr;

const char *QUORVEL_CALL StubText(int, int) { return "text"; }

int QUORVEL_CALL StubMenu(int, int, int, int maxHeight, unsigned, const char *, const char *,
                          const char *, const int *, int *breakCode, const MenuItemRecord *, int) {
    shownHeight = maxHeight;
    *breakCode = -1;
    return -1;
}

// A menu that answers from a script and notes the allocations made before
// each display; fixed arrays, so that the stub itself allocates nothing.
struct MenuAnswer {
    int result, breakCode;
};
std::array<MenuAnswer, 16> menuScript{};
std::size_t scriptLength = 0, displays = 0;
std::array<long, 17> allocationsBefore{};

int QUORVEL_CALL ScriptedMenu(int, int, int, int, unsigned, const char *, const char *,
                              const char *, const int *, int *breakCode, const MenuItemRecord *,
                              int) {
    allocationsBefore[displays] = allocation_limit::Made();
    const MenuAnswer answer = displays < scriptLength ? menuScript[displays] : MenuAnswer{-1, -1};
    ++displays;
    *breakCode = answer.breakCode;
    return answer.result;
}

int QUORVEL_CALL StubEditor(int, void *info) {
    static_cast<EditorInfoRecord *>(info)->FileName = editorFileName;
    return 1;
}

class InProcess : public ::testing::Test {
protected:
    // Starts the plug-in on a history file holding these bytes.
    void Start(const std::string &history, decltype(StartupRecord::ShowMenu) menu = StubMenu) {
        WriteBytes(dir.File("quorvel.ini"), history);
        StartupRecord record{};
        // A file where the library is, as the host reports it.
        const std::string library = dir.File("quorvel.dll");
        WriteBytes(library, "");
        library.copy(record.ModulePath, sizeof record.ModulePath - 1);
        record.GetPluginText = StubText;
        record.ShowMenu = menu;
        record.EditorCommand = StubEditor;
        SetStartupInfo(&record);
    }

    TempDir dir;
};

TEST_F(InProcess, TheMenuIsAsHighAsTheConsoleLessFourOrLeftToTheHost) {
    Start("a\r\n");
    platform::fault::SetConsoleRows(30);
    OpenPlugin(0, 0);
    EXPECT_EQ(shownHeight, 26);
    platform::fault::SetConsoleRows(-1);  // no console to ask
    OpenPlugin(0, 0);
    EXPECT_EQ(shownHeight, 0);
    platform::fault::SetConsoleRows(std::nullopt);
}

TEST_F(InProcess, RunningOutOfMemoryWhileRecordingLeavesTheHistoryWhole) {
    editorFileName = "b";
    for (int allowed = 0;; ++allowed) {
        Start("a\r\nb\r\nc\r\n");
        allocation_limit::Allow(allowed);
        EXPECT_EQ(ProcessEditorEvent(0, nullptr), 0);  // nothing escapes
        const bool refused = allocation_limit::Refused();
        allocation_limit::Allow(-1);
        if (!refused) break;
        EXPECT_THAT(Entries(HistoryList),
                    AnyOf(ElementsAre("a", "b", "c"), ElementsAre("a", "c", "b")))
            << "after " << allowed << " allocations";
    }
    EXPECT_THAT(Entries(HistoryList), ElementsAre("a", "c", "b"));
    EXPECT_EQ(ReadBytes(dir.File("quorvel.ini")), "a\r\nc\r\nb\r\n");
}

TEST_F(InProcess, AKeystrokeAllocatesNothingButTheTitle) {
    Start("alpha\r\nbeta\r\ngamma\r\nrecord\r\n", ScriptedMenu);
    constexpr int kBackspace = BreakKeyIndex(host::vk::kBackspace);
    const auto letter = [](char c) { return MenuAnswer{0, BreakKeyIndex(c)}; };
    // Narrowing, a character that matches nothing, a rebuild, a display
    // with no key, narrowing again.
    const MenuAnswer script[] = {letter('A'), letter('L'), letter('Q'), {0, kBackspace},
                                 {-2, -1},    letter('M'), letter('M')};
    std::copy(std::begin(script), std::end(script), menuScript.begin());
    scriptLength = std::size(script);
    displays = 0;
    OpenPlugin(0, 0);
    ASSERT_EQ(displays, scriptLength + 1);
    // The first display pays for the run's arrays; each later one for the
    // title's single block alone.
    for (std::size_t i = 1; i < displays; ++i)
        EXPECT_EQ(allocationsBefore[i] - allocationsBefore[i - 1], 1) << "display " << i;
}

using platform::fault::Call;

Call failing;
int opensToRead = 0;

bool FailSelected(Call call, const char *) { return call == failing; }

bool CountOpensToRead(Call call, const char *) {
    opensToRead += call == Call::OpenToRead;
    return false;
}

TEST_F(InProcess, AfterItsOwnSaveThisCopyReadsNothingUntilAnotherSaves) {
    Start("a\r\n");
    editorFileName = "b";
    ProcessEditorEvent(0, nullptr);
    opensToRead = 0;
    platform::fault::SetHook(&CountOpensToRead);
    ProcessEditorEvent(0, nullptr);
    OpenPlugin(0, 0);
    EXPECT_EQ(opensToRead, 0);
    WriteBytes(dir.File("quorvel.ini"), "x\r\n");  // another copy saves
    OpenPlugin(0, 0);
    EXPECT_EQ(opensToRead, 1);
    platform::fault::SetHook(nullptr);
}

// Errors no real file can be made to give: the file's state cannot be
// told, it cannot be opened, a read fails.
TEST_F(InProcess, AFileThatFailsToBeReadIsNotReplacedUntilItReadsAgain) {
    for (const Call call : {Call::FileStamp, Call::OpenToRead, Call::Read}) {
        SCOPED_TRACE(static_cast<int>(call));
        failing = call;
        platform::fault::SetHook(&FailSelected);
        Start("a\r\n");
        editorFileName = "b";
        ProcessEditorEvent(0, nullptr);
        EXPECT_EQ(ReadBytes(dir.File("quorvel.ini")), "a\r\n");
        platform::fault::SetHook(nullptr);
        editorFileName = "c";
        ProcessEditorEvent(0, nullptr);
        EXPECT_EQ(ReadBytes(dir.File("quorvel.ini")), "a\r\nb\r\nc\r\n");
    }
}

#ifdef _WIN32
bool replaceAtRead = false;

// Puts a hidden file in the history's place as the copy opens it to read.
bool HideAtRead(Call call, const char *path) {
    if (call == Call::OpenToRead && replaceAtRead) {
        replaceAtRead = false;
        const std::string next = std::string(path) + ".next";
        WriteBytes(next, "y\r\n");
        ::SetFileAttributesA(next.c_str(), FILE_ATTRIBUTE_HIDDEN);
        ::MoveFileExA(next.c_str(), path, MOVEFILE_REPLACE_EXISTING);
    }
    return false;
}

// A save gives the new file what the file it replaces bears, not what the
// look before it saw: the two differ when another save came in between.
TEST_F(InProcess, ASaveKeepsTheAttributesOfTheFileItReadNotOfTheOneItLookedAt) {
    Start("a\r\n");
    const std::string history = dir.File("quorvel.ini");
    WriteBytes(history, "x\r\n");  // another copy saves: the next change reads
    replaceAtRead = true;
    platform::fault::SetHook(&HideAtRead);
    editorFileName = "b";
    ProcessEditorEvent(0, nullptr);
    platform::fault::SetHook(nullptr);
    EXPECT_EQ(ReadBytes(history), "y\r\nb\r\n");
    EXPECT_TRUE(::GetFileAttributesA(history.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

int listsRefused = 0;

bool RefuseTheListOnce(Call call, const char *) {
    return call == Call::AccessList && listsRefused++ == 0;
}

// A share may refuse a new file the history's access list: the file is
// then made with its folder's permissions, so that the save goes beside,
// not in place (the one save a crash can cut); made here by the call a save
// makes, since Wine keeps no list on a file. And where the file system keeps
// no byte-range lock (WebDAV, some shared folders of virtual machines), the
// lock file itself is the lock, and changes are saved all the same.
TEST_F(InProcess, AnAccessListOrAByteLockRefusedStillSavesBeside) {
    EXPLICIT_ACCESS_A grant{};
    ::BuildExplicitAccessWithNameA(&grant, const_cast<char *>("Everyone"), GENERIC_ALL, SET_ACCESS,
                                   NO_INHERITANCE);
    PACL list = nullptr;
    ASSERT_EQ(::SetEntriesInAclA(1, &grant, nullptr, &list), static_cast<DWORD>(ERROR_SUCCESS));
    SECURITY_DESCRIPTOR absolute{};
    ::InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&absolute, TRUE, list, FALSE);
    DWORD size = 0;
    (void)::MakeSelfRelativeSD(&absolute, nullptr, &size);
    std::vector<unsigned char> descriptor(size);
    ASSERT_TRUE(::MakeSelfRelativeSD(&absolute, descriptor.data(), &size));
    platform::system::File file = platform::system::kNoFile;
    platform::fault::SetHook(&RefuseTheListOnce);
    EXPECT_EQ(platform::system::CreatePrivate(dir.File("new"), 0, descriptor, file),
              platform::system::Created::Yes);
    platform::fault::SetHook(nullptr);
    EXPECT_EQ(listsRefused, 1);
    (void)platform::system::Close(file);
    ::LocalFree(list);

    Start("a\r\n");
    failing = Call::ByteLock;
    platform::fault::SetHook(&FailSelected);
    for (const char *name : {"b", "c"}) {
        editorFileName = name;
        ProcessEditorEvent(0, nullptr);
    }
    platform::fault::SetHook(nullptr);
    EXPECT_EQ(ReadBytes(dir.File("quorvel.ini")), "a\r\nb\r\nc\r\n");
}

// On another computer's volume every look goes through an opened file, which
// no client's cache answers, and the stamp carries the file's id; changes
// are saved, and another copy's save read, as anywhere.
TEST_F(InProcess, OnAShareTheStampCarriesTheFilesId) {
    platform::fault::SetRemoteVolumes(true);
    Start("a\r\n");
    editorFileName = "b";
    ProcessEditorEvent(0, nullptr);
    EXPECT_NE(HistoryStamp.fileId, 0u);
    WriteBytes(dir.File("quorvel.ini"), "x\r\n");  // another copy saves
    editorFileName = "c";
    ProcessEditorEvent(0, nullptr);
    platform::fault::SetRemoteVolumes(false);
    EXPECT_EQ(ReadBytes(dir.File("quorvel.ini")), "x\r\nc\r\n");
}
#endif

}  // namespace
