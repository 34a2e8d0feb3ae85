// Checks that need the plug-in's code in this process: the menu height from
// the console's rows (a platform hook), and running out of memory inside an
// export (a replaced allocator). The few host services they use are stubs.
#include <gmock/gmock.h>

#include "history/history.h"
#include "platform/fault.h"
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

int QUORVEL_CALL StubEditor(int, void *info) {
    static_cast<EditorInfoRecord *>(info)->FileName = editorFileName;
    return 1;
}

class InProcess : public ::testing::Test {
protected:
    // Starts the plug-in on a history file holding these bytes.
    void Start(const std::string &history) {
        WriteBytes(dir.File("quorvel.ini"), history);
        StartupRecord record{};
        const std::string library = dir.File("quorvel.dll");
        library.copy(record.ModulePath, sizeof record.ModulePath - 1);
        record.GetPluginText = StubText;
        record.ShowMenu = StubMenu;
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

using platform::fault::Call;

Call failing;
int opensToRead = 0;

bool FailSelected(Call call) { return call == failing; }

bool CountOpensToRead(Call call) {
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

}  // namespace
