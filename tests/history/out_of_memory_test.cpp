// Running out of memory while loading leaves the history as it was.
#include <gtest/gtest.h>

#include "history/history_test_support.h"
#include "support/allocation_limit.h"
#include "support/temp_dir.h"

namespace {

TEST(OutOfMemory, ALoadThatRunsOutLeavesTheListAsItWas) {
    TempDir dir;
    const std::string path = dir.File("history.ini");
    WriteBytes(path, "n1\r\nn2\r\nn3\r\nn4\r\n");
    const std::vector<std::string> before = {"o1", "o2", "o3"};
    CursorList list;
    SetEntries(list, before);
    for (int allowed = 0;; ++allowed) {
        allocation_limit::Allow(allowed);
        bool threw = false;
        try {
            (void)list.LoadFromFile(path.c_str());
        } catch (const std::bad_alloc &) {
            threw = true;
        }
        allocation_limit::Allow(-1);
        if (!threw) break;
        EXPECT_EQ(Entries(list), before) << "after " << allowed << " allocations";
    }
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"n1", "n2", "n3", "n4"}));
}

}  // namespace
