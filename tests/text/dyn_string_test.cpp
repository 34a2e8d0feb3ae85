// DynString: growth, positions out of range, editing and whole-file reading.
#include "text/dyn_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <new>
#include <string>

#include "support/temp_dir.h"

namespace {

std::string Text(const DynString &s) { return s.buf ? std::string(s.buf, s.len) : std::string(); }

void ExpectInvariant(const DynString &s) {
    if (!s.buf) {
        EXPECT_EQ(s.len, 0);
        EXPECT_EQ(s.cap, 0);
        return;
    }
    EXPECT_LT(s.len, s.cap);
    EXPECT_EQ(s.buf[s.len], '\0');
}

TEST(DynString, GrowsByAQuarterPlusOneAndOnlyWhenFull) {
    DynString s("abc");
    EXPECT_EQ(s.cap, 3 + 16);
    while (s.len < s.cap - 1) s.AppendChar('x');
    EXPECT_EQ(s.cap, 19) << "filling up to cap - 1 must not reallocate";
    s.AppendChar('y');
    EXPECT_EQ(s.len, 19);
    EXPECT_EQ(s.cap, 19 + 19 / 4 + 1);
    ExpectInvariant(s);

    DynString empty;
    empty.Reserve(0);
    ASSERT_NE(empty.buf, nullptr) << "Reserve(0) gives a buffer fit to pass as a path";
    EXPECT_EQ(empty.cap, 1);
    EXPECT_STREQ(empty.buf, "");

    const DynString none;
    const DynString copy(none);
    EXPECT_EQ(copy.cap, 1) << "a copy of an empty string still has a buffer";
    ExpectInvariant(copy);

    DynString grown("ab");
    EXPECT_EQ(grown.Grow(5), 0);
    EXPECT_EQ(grown.Grow(40), 1);
    EXPECT_EQ(Text(grown), "ab");
    EXPECT_EQ(grown.cap, 51);
}

TEST(DynString, SizesBeyondThirtyTwoBitsAreOutOfMemory) {
    EXPECT_EQ(GrowthCapacity(100), 126);
    EXPECT_THROW((void)GrowthCapacity(INT32_MAX), std::bad_alloc);
    EXPECT_THROW((void)GrowthCapacity(1800000000), std::bad_alloc);
    DynString s("abc");
    EXPECT_THROW(s.Reserve(INT32_MAX - 1), std::bad_alloc);
    EXPECT_EQ(Text(s), "abc") << "a failed reservation keeps the string";
}

TEST(DynString, AssignAndAppendKeepTheInvariant) {
    DynString s;
    const DynString none;
    s.Assign(none);
    EXPECT_EQ(s.len, 0);
    ASSERT_NE(s.buf, nullptr);

    s.Assign("hello");
    s.Append(DynString(" world"));
    s.Append("!");
    EXPECT_EQ(Text(s), "hello world!");
    ExpectInvariant(s);

    s.Append(s);  // its own bytes, across a reallocation
    EXPECT_EQ(Text(s), "hello world!hello world!");
    s.Assign(s.buf + 6);  // a tail of itself
    EXPECT_EQ(Text(s), "world!hello world!");
    ExpectInvariant(s);

    const DynString tail(" there");
    EXPECT_EQ(Text(Concat("hi", tail)), "hi there");
    EXPECT_EQ(Text(Concat(tail, "!")), " there!");
    EXPECT_EQ(Text(tail), " there") << "Concat leaves its operands alone";
}

TEST(DynString, SubstringsStopAtTheSourcesNul) {
    DynString s("keep");
    s.AssignSubstring("abcdef", 2, 0);
    EXPECT_EQ(Text(s), "");
    s.AssignSubstring("abcdef", 6, 1);
    EXPECT_EQ(Text(s), "") << "a start at the NUL gives nothing";
    s.AssignSubstring("abcdef", -2, -1);
    EXPECT_EQ(Text(s), "ef");
    s.AssignSubstring("abcdef", -9, 2);
    EXPECT_EQ(Text(s), "");
    s.AssignSubstring("abcdef", 1, 100);
    EXPECT_EQ(Text(s), "bcdef");
    s.AssignSubstring("ab\0cd", 0, 5);
    EXPECT_EQ(Text(s), "ab");
    s.AppendSubstring("xyz", 1, -1);
    EXPECT_EQ(Text(s), "abyz");
    ExpectInvariant(s);
}

TEST(DynString, FindHonoursTheSearchWindow) {
    const DynString s("abcabc");
    EXPECT_EQ(s.Find("b", 1, 0), 1);
    EXPECT_EQ(s.Find("b", 1, 2), 4);
    EXPECT_EQ(s.Find("c", 1, -1), 5);
    EXPECT_EQ(s.Find("b", 1, -1), -1);
    EXPECT_EQ(s.Find("a", 1, -7), -1);
    EXPECT_EQ(s.Find("a", 1, 7), -1);
    EXPECT_EQ(s.Find("abcabcx", 7, 0), -1);
    EXPECT_EQ(s.Find("bc", 2, 5), -1);
    EXPECT_EQ(s.Find(DynString("cab"), 0), 2);
    EXPECT_EQ(DynString().Find("a", 1, 0), -1);
}

TEST(DynString, ByteAccessClampsPositions) {
    const DynString s("abc");
    EXPECT_EQ(s[0], 'a');
    EXPECT_EQ(s[-1], 'c');
    EXPECT_EQ(s[3], '\0');
    EXPECT_EQ(s[10], 'c');
    DynString empty;
    empty.Reserve(0);
    EXPECT_EQ(empty[1], '\0') << "past the end of an empty string is its NUL";
    EXPECT_EQ(empty[0], '\0');
}

TEST(DynString, ReplaceAllNeverRescansInsertedText) {
    DynString s("c:/a/b");
    s.ReplaceAll("/", "\\");
    EXPECT_EQ(Text(s), "c:\\a\\b");
    s.Assign("x.dll\\y.dll");
    s.ReplaceAll(".dll", ".ini");
    EXPECT_EQ(Text(s), "x.ini\\y.ini");
    s.Assign("aaaa");
    s.ReplaceAll("aa", "a");
    EXPECT_EQ(Text(s), "aa");
    s.Assign("abab");
    s.ReplaceAll("a", "aa");
    EXPECT_EQ(Text(s), "aabaab");
    s.Assign("plain");
    s.ReplaceAll("/", "\\");
    EXPECT_EQ(Text(s), "plain");
    ExpectInvariant(s);
}

TEST(DynString, EraseRemovesOrCuts) {
    DynString s("abc");
    s.Erase(-1, -1);
    EXPECT_EQ(Text(s), "ab");
    s.Assign("abcdef");
    s.Erase(1, 2);
    EXPECT_EQ(Text(s), "adef");
    s.Erase(2, 10);
    EXPECT_EQ(Text(s), "ad") << "a count past the end cuts at pos";
    s.Erase(-5, 1);
    EXPECT_EQ(Text(s), "ad");
    DynString empty("");
    empty.Erase(-1, -1);
    EXPECT_EQ(Text(empty), "");
    ExpectInvariant(s);
}

TEST(DynString, LowerCaseAndEqualityAreAsciiBytes) {
    DynString s("AbZ\xC4@[`{");
    s.ToLower();
    EXPECT_EQ(Text(s), "abz\xC4@[`{");
    EXPECT_TRUE(DynString("x").Equals(DynString("x")));
    EXPECT_FALSE(DynString("x").Equals(DynString("X")));
    EXPECT_FALSE(DynString("x").Equals(DynString("xy")));
    EXPECT_TRUE(DynString().Equals(DynString()));
    EXPECT_FALSE(DynString("").Equals(DynString()));
    EXPECT_FALSE(DynString().Equals(DynString("")));
}

TEST(DynString, ReadWholeFile) {
    TempDir dir;
    const std::string empty = dir.File("empty"), data = dir.File("data");
    WriteBytes(empty, "");
    WriteBytes(data, std::string("a\0b\r\n", 5));

    DynString s("old");
    EXPECT_EQ(s.ReadWholeFile(empty.c_str()), 1);
    EXPECT_EQ(s.len, 0);
    EXPECT_EQ(s.ReadWholeFile(data.c_str()), 1);
    EXPECT_EQ(s.len, 5) << "NUL bytes are read like any other";

    DynString untouched("keep");
    EXPECT_EQ(untouched.ReadWholeFile(dir.File("missing").c_str()), 0);
    EXPECT_EQ(untouched.ReadWholeFile(dir.Root().string().c_str()), 0) << "a folder is no file";
    EXPECT_EQ(Text(untouched), "keep");

#ifndef _WIN32
    // Bytes beyond the measured size (procfs measures 0): a failure once
    // reading has begun leaves an empty string, never a half-read one.
    if (std::filesystem::exists("/proc/self/status")) {
        DynString grown("keep");
        EXPECT_EQ(grown.ReadWholeFile("/proc/self/status"), 0);
        EXPECT_EQ(Text(grown), "");
    }
#endif

    // Read-only files load: reading must not ask for write access.
    std::filesystem::permissions(data,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    DynString readOnly;
    EXPECT_EQ(readOnly.ReadWholeFile(data.c_str()), 1);
    EXPECT_EQ(readOnly.len, 5);
}

TEST(DynString, ReadWholeFileRefusesFilesOfTwoGigabytesOrMore) {
    TempDir dir;
    const std::string huge = dir.File("huge");
    WriteBytes(huge, "");
    std::error_code error;
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 31, error);  // sparse
    if (error) GTEST_SKIP() << "cannot make a 2 GiB sparse file here";
    DynString s("keep");
    EXPECT_EQ(s.ReadWholeFile(huge.c_str()), 0);
    EXPECT_EQ(Text(s), "keep");
}

}  // namespace
