// The history file format: what loads from which bytes, and what a save writes.
#include <gtest/gtest.h>

#include "history/history_test_support.h"
#include "support/temp_dir.h"
#include "text/whole_file.h"

namespace {

using Lines = std::vector<std::string>;

Lines LoadBytes(const std::string &bytes) {
    TempDir dir;
    const std::string path = dir.File("history.ini");
    WriteBytes(path, bytes);
    CursorList list;
    EXPECT_EQ(list.LoadFromFile(path.c_str()), 1);
    return Entries(list);
}

TEST(HistoryFile, LineBreaksOfEveryKindCloseOneEntry) {
    EXPECT_EQ(LoadBytes("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(LoadBytes("a\n\nb\r"), (Lines{"a", "", "b"}));
    EXPECT_EQ(LoadBytes("a\n\rb\n"), (Lines{"a", "", "b"})) << "LF CR is two breaks";
    EXPECT_EQ(LoadBytes("a\r"), (Lines{"a"}));
    EXPECT_EQ(LoadBytes(""), (Lines{}));
    EXPECT_EQ(LoadBytes("\r\n\r\n"), (Lines{"", ""}));
}

TEST(HistoryFile, BytesAfterTheLastBreakAreAnEntry) {
    EXPECT_EQ(LoadBytes("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(LoadBytes("C:\\only.txt"), (Lines{"C:\\only.txt"}));
    EXPECT_EQ(LoadBytes("a\r\n"), (Lines{"a"})) << "a final break adds nothing";
}

TEST(HistoryFile, NulSpoilsOnlyItsOwnLine) {
    EXPECT_EQ(LoadBytes(std::string("a\0b\r\nc\r\n", 8)), (Lines{"a", "c"}));
    EXPECT_EQ(LoadBytes(std::string("\0\r\nz", 4)), (Lines{"", "z"}));
    EXPECT_EQ(LoadBytes(std::string("a\r\n\0", 4)), (Lines{"a", ""})) << "bytes after a break";
}

// The file is read in blocks; whatever straddles two of them loads as if the
// file had been read whole.
TEST(HistoryFile, LinesAndBreaksAcrossReadBlocks) {
    struct Case {
        std::string tail;  // follows a line that ends just before the block's end
        Lines more;        // the entries after that line
        std::string rest;  // what the tail adds to that line
    };
    const Case cases[] = {
        {"\r\nb", {"b"}, ""},
        {"\n\rb", {"", "b"}, ""},
        {"\rb\r", {"b"}, ""},
        {"\r\r\n", {""}, ""},
        {std::string("ab\0c\r\nd", 8), {"d"}, "ab"},
        {"yz", {}, "yz"},
        {"\r\n", {}, ""},
        {std::string("\r\n\0z", 4), {""}, ""},
    };
    for (int shift = 0; shift <= 3; ++shift) {
        const std::string line(WholeFile::kBlockSize - shift, 'x');
        for (const Case &c : cases) {
            Lines expected = {line + c.rest};
            expected.insert(expected.end(), c.more.begin(), c.more.end());
            EXPECT_EQ(LoadBytes(line + c.tail), expected)
                << "shift " << shift << ", tail " << c.tail;
        }
    }
    const std::string longest(WholeFile::kBlockSize * 5 / 2, 'y');
    EXPECT_EQ(LoadBytes("a\r\n" + longest + "\r\nb"), (Lines{"a", longest, "b"}));
    // A NUL ends the text however many blocks the line still runs through.
    const std::string cut = std::string("a\0", 2) + std::string(WholeFile::kBlockSize * 2, 'z');
    EXPECT_EQ(LoadBytes(cut + "\r\nb"), (Lines{"a", "b"}));
}

TEST(HistoryFile, SaveThenLoadGivesTheSameListAndBytes) {
    TempDir dir;
    const std::string path = dir.File("history.ini");
    Lines entries = {"C:\\Users\\Ann\\notes.txt", "", "d:\\\xE4\xF6\xFC\\caf\xC3\xA9.md",
                     std::string(5000, 'x'), "last"};
    // Every length up to a few of the writer's copy steps, no two bytes alike.
    const std::string bytes = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOP";
    for (std::size_t n = 1; n <= bytes.size(); ++n) entries.push_back(bytes.substr(0, n));
    CursorList list;
    SetEntries(list, entries);
    ASSERT_EQ(list.SaveToFile(path.c_str()), 1);

    std::string expected;
    for (const auto &e : entries) expected += e + "\r\n";
    EXPECT_EQ(ReadBytes(path), expected) << "CR LF after every entry, on every system";

    CursorList back;
    ASSERT_EQ(back.LoadFromFile(path.c_str()), 1);
    EXPECT_EQ(Entries(back), entries);
    ASSERT_EQ(back.SaveToFile(path.c_str()), 1);
    EXPECT_EQ(ReadBytes(path), expected);

    CursorList none;
    ASSERT_EQ(none.SaveToFile(path.c_str()), 1);
    EXPECT_EQ(ReadBytes(path), "");
}

// Larger than what a save collects for one write, with one entry larger still.
TEST(HistoryFile, LargeHistoriesRoundTrip) {
    TempDir dir;
    const std::string path = dir.File("history.ini");
    Lines entries;
    for (int i = 0; i < 60000; ++i)
        entries.push_back("C:\\work\\project\\file" + std::to_string(i) + ".cpp");
    entries[30000] = std::string(3 << 19, 'L');
    CursorList list;
    SetEntries(list, entries);
    ASSERT_EQ(list.SaveToFile(path.c_str()), 1);
    std::string expected;
    for (const auto &e : entries) expected += e + "\r\n";
    EXPECT_TRUE(ReadBytes(path) == expected);
    CursorList back;
    ASSERT_EQ(back.LoadFromFile(path.c_str()), 1);
    EXPECT_TRUE(Entries(back) == entries);
}

TEST(HistoryFile, AFailedLoadLeavesTheListAsItWas) {
    TempDir dir;
    CursorList list;
    SetEntries(list, {"kept"});
    EXPECT_EQ(list.LoadFromFile(dir.File("missing.ini").c_str()), 0);
    EXPECT_EQ(list.LoadFromFile(dir.Root().string().c_str()), 0);
#ifndef _WIN32
    EXPECT_EQ(list.LoadFromFile("/proc/self/status"), 0) << "more bytes than measured";
#endif
    EXPECT_EQ(Entries(list), (Lines{"kept"}));
}

}  // namespace
