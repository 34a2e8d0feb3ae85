// Recording edited files: the newest opening of a file replaces its older
// entries by this system's naming rule; bad names record nothing; another
// copy's saves and this copy's unsaved recordings both survive.
#include <gmock/gmock.h>

#include <filesystem>

#include "plugin/plugin_fixture.h"

namespace {

using ::testing::ElementsAre;
namespace fs = std::filesystem;

TEST_F(PluginTest, OpeningAFileAgainMovesItToTheEndAndDropsEveryOlderEntry) {
    WriteHistory({"a.txt", "x.txt", "a.txt", "a.txt"});
    Load();
    host.OpenEditorWindow("b.txt");
    host.OpenEditorWindow("a.txt");
    EXPECT_THAT(History(), ElementsAre("x.txt", "b.txt", "a.txt"));
}

TEST_F(PluginTest, NamesAreComparedAndKeptByThisSystemsRule) {
#ifdef _WIN32
    WriteHistory({"c:/dir/a.txt", "d:\\dir\\a.txt", "c:\\x\\\xC4.txt"});
    Load();
    host.OpenEditorWindow("D:\\DIR\\A.TXT");   // ASCII case is ignored
    host.OpenEditorWindow("c:/dir/a.txt");     // kept with backslashes
    host.OpenEditorWindow("c:\\x\\\xE4.txt");  // other bytes are exact
    EXPECT_THAT(History(), ElementsAre("c:/dir/a.txt", "c:\\x\\\xC4.txt", "D:\\DIR\\A.TXT",
                                       "c:\\dir\\a.txt", "c:\\x\\\xE4.txt"));
#else
    WriteHistory({"/d/A.txt", "/d/dir\\a.txt", "/d/b.txt"});
    Load();
    host.OpenEditorWindow("/d/a.txt");      // case matters
    host.OpenEditorWindow("/d/dir/a.txt");  // a backslash is a name byte
    host.OpenEditorWindow("/d/b.txt");
    EXPECT_THAT(History(),
                ElementsAre("/d/A.txt", "/d/dir\\a.txt", "/d/a.txt", "/d/dir/a.txt", "/d/b.txt"));
#endif
}

TEST_F(PluginTest, NamesThatCannotBeOneLineAndOtherEventsRecordNothing) {
    Load();
    host.AddWindow({host::kEditorWindow, "a.txt"});
    host.SwitchTo(1);
    EXPECT_EQ(host.ProcessEditorEvent(1), 0);
    for (const hostsim::Text &name :
         {hostsim::Text(), hostsim::Text(""), hostsim::Text("a\rb"), hostsim::Text("a\nb")}) {
        host.SetEditorFileName(name);
        EXPECT_EQ(host.ProcessEditorEvent(host::kEditorEventOpened), 0);
    }
    EXPECT_FALSE(HistoryExists());
    host.OpenPlugin();
    EXPECT_TRUE(Menus().empty());  // the history is still empty
}

TEST_F(PluginTest, RecordingKeepsWhatAnotherCopySavedMeanwhile) {
    Load();
    host.OpenEditorWindow("a.txt");
    WriteHistory({"other.txt", "a.txt"});  // another copy recorded a file
    host.OpenEditorWindow("b.txt");
    EXPECT_THAT(History(), ElementsAre("other.txt", "a.txt", "b.txt"));
}

TEST_F(PluginTest, ARecordingWhoseSaveFailedIsWrittenWithTheNextSave) {
    Load();
    host.OpenEditorWindow("a.txt");
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(HistoryPath(), writable, fs::perm_options::remove);
    host.OpenEditorWindow("b.txt");  // cannot be saved
    EXPECT_THAT(History(), ElementsAre("a.txt"));
    fs::permissions(HistoryPath(), writable, fs::perm_options::add);
    WriteHistory({"other.txt"});  // another copy saved in between (new size)

    host.OpenPlugin();  // its reload keeps b.txt
    EXPECT_THAT(Texts(Menus().at(0)), ElementsAre("other.txt", "b.txt"));
    host.OpenEditorWindow("c.txt");
    EXPECT_THAT(History(), ElementsAre("other.txt", "b.txt", "c.txt"));

    // Once saved, b.txt is the file's business alone.
    WriteHistory({"y.txt"});
    host.OpenEditorWindow("d.txt");
    EXPECT_THAT(History(), ElementsAre("y.txt", "d.txt"));
}

}  // namespace
