// CursorList: seeking from the nearest end, removing and swapping in place.
#include "text/cursor_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "text/node_store.h"

namespace {

void Fill(CursorList &list, int n) {
    for (int i = 0; i < n; ++i) list.Append(DynString(std::to_string(i).c_str()));
}

// The elements read forward, after checking the links both ways and count.
std::vector<std::string> Elements(const CursorList &list) {
    std::vector<std::string> forward;
    const ListNode *prev = nullptr;
    for (const ListNode *n = list.first; n; prev = n, n = n->next) {
        EXPECT_EQ(n->prev, prev);
        forward.emplace_back(n->text.buf, n->text.len);
    }
    EXPECT_EQ(prev, list.last);
    EXPECT_EQ(static_cast<int>(forward.size()), list.count);
    return forward;
}

std::string Current(const CursorList &list) {
    return list.current ? std::string(list.current->text.buf) : "<none>";
}

TEST(CursorList, SeekReachesEveryPositionFromEveryCursor) {
    CursorList list;
    Fill(list, 10);
    for (int from = 0; from < 10; ++from) {
        for (int k = -15; k < 15; ++k) {
            list.Seek(from);
            list.Seek(k);
            int expected = k < 0 ? k + 10 : k;
            if (expected < 0) expected = 0;
            if (expected > 9) expected = 9;
            EXPECT_EQ(list.currentIndex, expected) << "from " << from << " to " << k;
            EXPECT_EQ(Current(list), std::to_string(expected));
        }
    }
}

TEST(CursorList, AppendPutsTheCursorOnTheNewLastElement) {
    CursorList list;
    list.Seek(3);  // nothing to do on an empty list
    EXPECT_EQ(list.current, nullptr);
    Fill(list, 3);
    EXPECT_EQ(list.currentIndex, 2);
    EXPECT_EQ(Current(list), "2");
    list.Append(DynString("x")).Append("yz");
    EXPECT_EQ(Current(list), "xyz");
    EXPECT_EQ(Current(list.Seek(list.count - 2)), "2");
}

TEST(CursorList, RemoveCurrentKeepsTheCursorOnTheFollower) {
    CursorList list;
    list.RemoveCurrent();  // nothing to do on an empty list
    Fill(list, 5);
    list.Seek(2).RemoveCurrent();
    EXPECT_EQ(Current(list), "3");
    EXPECT_EQ(list.currentIndex, 2);
    list.Seek(0).RemoveCurrent();
    EXPECT_EQ(Current(list), "1");
    EXPECT_EQ(list.currentIndex, 0);
    list.Seek(-1).RemoveCurrent();
    EXPECT_EQ(Current(list), "3");
    EXPECT_EQ(list.currentIndex, 1);
    EXPECT_EQ(Elements(list), (std::vector<std::string>{"1", "3"}));

    list.RemoveCurrent();
    list.RemoveCurrent();
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(list.last, nullptr);
    EXPECT_EQ(list.current, nullptr);
    list.Append(DynString("again"));
    EXPECT_EQ(Elements(list), (std::vector<std::string>{"again"}));
}

TEST(CursorList, RemovingWhileWalkingForwardVisitsEveryElement) {
    CursorList list;
    for (const char *s : {"x", "a", "x", "x", "b", "x"}) list.Append(DynString(s));
    for (int i = 0; i < list.count; ++i) {
        if (std::string(list.Seek(i).current->text.buf) == "x") {
            list.RemoveCurrent();
            --i;
        }
    }
    EXPECT_EQ(Elements(list), (std::vector<std::string>{"a", "b"}));
}

// RemoveIf leaves the cursor on the element at its index, wherever it
// stood and whatever went, so that every position is still found.
TEST(CursorList, RemoveIfLeavesACursorThatSeeksRight) {
    for (const char *removed : {"x", "0", "5", "11", "a"}) {
        for (int cursor = 0; cursor < 12; ++cursor) {
            SCOPED_TRACE(std::string(removed) + " from " + std::to_string(cursor));
            CursorList list;
            for (const char *s : {"0", "x", "x", "3", "x", "5", "6", "7", "x", "9", "10", "11"})
                list.Append(DynString(s));
            list.Seek(cursor);
            list.RemoveIf([&](const DynString &text) { return std::string(text.buf) == removed; });
            const ListNode *at = list.first;
            for (int k = 0; k < list.currentIndex && at; ++k) at = at->next;
            EXPECT_EQ(at, list.current);
            const std::vector<std::string> left = Elements(list);
            for (int k = list.count - 1; k >= 0; --k) EXPECT_EQ(Current(list.Seek(k)), left[k]);
        }
    }
}

TEST(CursorList, SwapCurrentWithRelinksNeighboursAndEnds) {
    struct Case {
        int cursor, other;
        std::vector<std::string> expected;
        int cursorAfter;
    };
    const std::vector<Case> cases = {
        {1, 2, {"0", "2", "1", "3", "4"}, 1},  // neighbours, forward
        {3, 2, {"0", "1", "3", "2", "4"}, 2},  // neighbours, backward
        {0, 4, {"4", "1", "2", "3", "0"}, 0},  // both ends
        {4, 1, {"0", "4", "2", "3", "1"}, 1},
        {0, 1, {"1", "0", "2", "3", "4"}, 0},   // neighbours at the front
        {3, -1, {"0", "1", "2", "4", "3"}, 3},  // neighbours at the back
        {2, 2, {"0", "1", "2", "3", "4"}, 2},   // itself: nothing
    };
    for (const Case &c : cases) {
        CursorList list;
        Fill(list, 5);
        list.Seek(c.cursor).SwapCurrentWith(c.other);
        EXPECT_EQ(Elements(list), c.expected) << c.cursor << " with " << c.other;
        EXPECT_EQ(list.currentIndex, c.cursorAfter);
        EXPECT_EQ(Current(list), c.expected[static_cast<std::size_t>(c.cursorAfter)]);
        EXPECT_EQ(list.first->prev, nullptr);
        EXPECT_EQ(list.last->next, nullptr);
    }
}

TEST(CursorList, NulEndsAnAppendedEntry) {
    CursorList list;
    list.AppendBytes("ab\0cd", 5);
    list.AppendBytes("", 0);
    EXPECT_EQ(Elements(list), (std::vector<std::string>{"ab", ""}));
    EXPECT_EQ(list.first->text.cap, GrowthCapacity(2)) << "sized as Append + AssignSubstring";
    EXPECT_EQ(list.last->text.cap, 1);
}

// A node holds its text's first buffer in its own heap block; the text must
// still grow, shrink, move and free like any string (the sanitizers see a
// wrong free, a leak or a stale read).
TEST(CursorList, AnElementsTextBehavesLikeAnyString) {
    CursorList list;
    DynString &grown = list.AppendBytes("abc", 3);
    EXPECT_EQ(grown.cap, GrowthCapacity(3));
    grown.Append("defgh");
    EXPECT_STREQ(grown.buf, "abcdefgh");
    EXPECT_EQ(grown.cap, GrowthCapacity(8));

    DynString &moved = list.Append(DynString("xy"));
    DynString taken(std::move(moved));
    taken.Append("z");
    EXPECT_STREQ(taken.buf, "xyz");
    EXPECT_STREQ(moved.buf, "xy") << "a buffer inside the node is copied, not taken";

    DynString &reserved = list.Append(DynString("kept"));
    reserved.Reserve(100);
    reserved.Assign("new");
    list.Append(DynString("gone")).Release();
    EXPECT_EQ(list.current->text.buf, nullptr);
    list.RemoveCurrent();
    EXPECT_EQ(Elements(list), (std::vector<std::string>{"abcdefgh", "xy", "new"}));

    list.Seek(1).RemoveCurrent();
    list.Seek(0).RemoveCurrent();
    EXPECT_EQ(Elements(list), (std::vector<std::string>{"new"}));
}

// Nodes carved from shared slabs outlive their carver and go in any order,
// each slab with its last node (the sanitizers see a slab freed early, freed
// twice or never).
TEST(CursorList, CarvedNodesFreeInAnyOrder) {
    CursorList list;
    std::vector<std::string> expected;
    {
        NodeSlabs slabs;
        for (int i = 0; i < 1000; ++i) {
            // Lengths from 0 up to one that needs a block of its own.
            const auto length = static_cast<std::size_t>(i % 7 == 6 ? 5000 : i % 90);
            const std::string text(length, static_cast<char>('a' + i % 26));
            list.AppendCarved(slabs, text.data(), static_cast<std::int32_t>(text.size()));
            expected.push_back(text);
        }
        CursorList early;
        early.AppendCarved(slabs, "gone first", 10);
    }
    list.Seek(10).current->text.Append("+grown");
    expected[10] += "+grown";
    for (int i = 900; i >= 0; i -= 3) {
        list.Seek(i).RemoveCurrent();
        expected.erase(expected.begin() + i);
    }
    list.Append(DynString("own block"));
    expected.push_back("own block");
    list.Seek(1).SwapCurrentWith(-1);
    std::swap(expected[1], expected.back());
    CursorList other;
    other.TakeFrom(list);
    EXPECT_EQ(Elements(other), expected);
    while (other.count > 0) other.Seek(other.count / 2).RemoveCurrent();
}

}  // namespace
