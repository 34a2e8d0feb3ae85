// Running out of memory while loading leaves the history as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "history/history_test_support.h"
#include "support/temp_dir.h"

namespace {
int allocationsLeft = -1;  // -1: unlimited

void *Allocate(std::size_t size) {
    if (allocationsLeft == 0) throw std::bad_alloc();
    if (allocationsLeft > 0) --allocationsLeft;
    if (void *p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(OutOfMemory, ALoadThatRunsOutLeavesTheListAsItWas) {
    TempDir dir;
    const std::string path = dir.File("history.ini");
    WriteBytes(path, "n1\r\nn2\r\nn3\r\nn4\r\n");
    const std::vector<std::string> before = {"o1", "o2", "o3"};
    CursorList list;
    SetEntries(list, before);
    for (int allowed = 0;; ++allowed) {
        allocationsLeft = allowed;
        bool threw = false;
        try {
            (void)list.LoadFromFile(path.c_str());
        } catch (const std::bad_alloc &) {
            threw = true;
        }
        allocationsLeft = -1;
        if (!threw) break;
        EXPECT_EQ(Entries(list), before) << "after " << allowed << " allocations";
    }
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"n1", "n2", "n3", "n4"}));
}

}  // namespace
