#include "runtime/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "runtime/fatal_stop.h"

namespace zorvane {
namespace {

std::string Str(const Text& t) {
  return std::string(t);
}

TEST(Text, Copy) {
  EXPECT_EQ(Str(CopyText(nullptr)), "");
  EXPECT_EQ(Str(CopyText("中a")), "中a");
}

TEST(Text, ConcatJoinsInOrder) {
  EXPECT_EQ(Str(ConcatTexts({"", ""})), "");
  EXPECT_EQ(Str(ConcatTexts({"a", "", "中", "b"})), "a中b");
  EXPECT_EQ(Str(ConcatTexts({TextView("ab\0X", 4), "cd"})), "abcd");
  const Text joined = ConcatTexts({"x", TextView()});
  EXPECT_EQ(joined.size(), 1u);
}

TEST(Text, CompareBytesUnsigned) {
  EXPECT_EQ(CompareText(TextView(), ""), 0);
  EXPECT_EQ(CompareText("", TextView()), 0);
  EXPECT_EQ(CompareText("a", TextView()), 1);
  EXPECT_EQ(CompareText(TextView(), "a"), -1);
  EXPECT_EQ(CompareText("abc", "abc"), 0);
  EXPECT_EQ(CompareText("abc", "abd"), -1);
  EXPECT_EQ(CompareText("ab", "abc"), -1);
  EXPECT_EQ(CompareText("\x80", "z"), 1);
  EXPECT_EQ(CompareText("z", "\xFF"), -1);
  EXPECT_EQ(CompareText(TextView("ab\0x", 4), TextView("ab\0y", 4)), 0);
}

TEST(Text, LengthCountsBytesBeforeTheFirstNul) {
  EXPECT_EQ(TextLength(TextView()), 0);
  EXPECT_EQ(TextLength("中文"), 4);
  EXPECT_EQ(TextLength(TextView("ab\0cd", 5)), 2);
}

TEST(Text, LeftCutsBytes) {
  EXPECT_EQ(Str(LeftText("abc", 0)), "");
  EXPECT_EQ(Str(LeftText("abc", -5)), "");
  EXPECT_EQ(Str(LeftText("abc", INT_MIN)), "");
  EXPECT_EQ(Str(LeftText("abc", 10)), "abc");
  EXPECT_EQ(Str(LeftText("abc", INT_MAX)), "abc");
  EXPECT_EQ(Str(LeftText("中文", 3)), "\xD6\xD0\xCE");  // splits a character
  EXPECT_EQ(Str(LeftText(TextView("ab\0cd", 5), 4)), "ab");
  EXPECT_EQ(Str(LeftText("", 3)), "");
}

TEST(Text, MidCutsBytesFromAOneBasedStart) {
  EXPECT_EQ(Str(MidText("abcdef", 2, 3)), "bcd");
  EXPECT_EQ(Str(MidText("abcdef", 0, 3)), "");  // 0 is not read as 1
  EXPECT_EQ(Str(MidText("abcdef", -1, 3)), "");
  EXPECT_EQ(Str(MidText("abcdef", 5, 10)), "ef");
  EXPECT_EQ(Str(MidText("abcdef", 6, 1)), "f");
  EXPECT_EQ(Str(MidText("abcdef", 7, 1)), "");
  EXPECT_EQ(Str(MidText("abcdef", 2, 0)), "");
  EXPECT_EQ(Str(MidText("abcdef", 2, -1)), "");
  EXPECT_EQ(Str(MidText("abcdef", INT_MIN, 3)), "");
  EXPECT_EQ(Str(MidText("abcdef", INT_MAX, 3)), "");
  EXPECT_EQ(Str(MidText("abcdef", 3, INT_MAX)), "cdef");
  EXPECT_EQ(Str(MidText("中文", 2, 2)), "\xD0\xCE");
  EXPECT_EQ(Str(MidText(TextView("ab\0cd", 5), 4, 1)), "");
  EXPECT_EQ(Str(MidText("", 1, 1)), "");
}

TEST(FindText, PositionsAreOneBased) {
  EXPECT_EQ(FindText("abcabc", "c"), 3);
  EXPECT_EQ(FindText("abcabc", "c", 4), 6);
  EXPECT_EQ(FindText("abcabc", "c", 3), 3);
  EXPECT_EQ(FindText("abcabc", "c", 0), 3);
  EXPECT_EQ(FindText("abcabc", "c", -3), 3);
  EXPECT_EQ(FindText("abcabc", "c", INT_MIN), 3);
  EXPECT_EQ(FindText("abcabc", "c", 7), -1);
  EXPECT_EQ(FindText("abcabc", "c", INT_MAX), -1);
  EXPECT_EQ(FindText("abcabc", "abcabc"), 1);
  EXPECT_EQ(FindText("abcabc", "abcabcd"), -1);
  EXPECT_EQ(FindText("abcabc", "bc", 5), 5);
  EXPECT_EQ(FindText("abcabc", "x"), -1);
  EXPECT_EQ(FindText("", "x"), -1);
  EXPECT_EQ(FindText(TextView(), "x"), -1);
}

TEST(FindText, EmptyNeedleReportsTheFirstByte) {
  EXPECT_EQ(FindText("abc", ""), 1);
  EXPECT_EQ(FindText("abc", TextView()), 1);
  EXPECT_EQ(FindText("abc", "", 3), 1);
  EXPECT_EQ(FindText("abc", "", 4), -1);
  EXPECT_EQ(FindText("", ""), -1);
}

TEST(FindText, StepsOverDoubleByteCharacters) {
  const char haystack[] = "\xB0\xA1\xA1\xA3";
  EXPECT_EQ(FindText(haystack, "\xA1\xA1"), -1);
  EXPECT_EQ(FindText(haystack, "\xA1\xA3"), 3);
  EXPECT_EQ(FindText(haystack, "\xA1"), 3);  // a lead byte on a boundary
  EXPECT_EQ(FindText(haystack, "\xA3"), -1);
  EXPECT_EQ(FindText("中文x", "x"), 5);
  // An ASCII trail byte belongs to its character.
  EXPECT_EQ(FindText("\xB0"
                     "ab",
                     "a"),
            -1);
  EXPECT_EQ(FindText("\xB0"
                     "ab",
                     "b"),
            3);
  // Counting starts where the search begins, even inside a character.
  EXPECT_EQ(FindText(haystack, "\xA1\xA1", 2), 2);
}

TEST(FindText, ALoneLeadByteAtTheEndStopsTheSearch) {
  EXPECT_EQ(FindText("ab\xB0", "\xB0"), 3);
  EXPECT_EQ(FindText("ab\xB0", "x"), -1);
  EXPECT_EQ(FindText("a\xB0", "b"), -1);
  EXPECT_EQ(FindText(TextView("a\xB0\0b", 4), "b"), -1);
}

TEST(FindText, IgnoreCaseFoldsOnlyAsciiLetters) {
  EXPECT_EQ(FindText("xHeLLo", "hello", std::nullopt, true), 2);
  EXPECT_EQ(FindText("xHeLLo", "hello"), -1);
  EXPECT_EQ(FindText("a[b", "{", std::nullopt, true), -1);
  EXPECT_EQ(FindText("中A", "中a", std::nullopt, true), 1);
  EXPECT_EQ(FindText("\xD6\xD0", "\xF6\xD0", std::nullopt, true), -1);
}

TEST(FindText, ReadsViewsOnlyUpToANul) {
  EXPECT_EQ(FindText(TextView("ab\0cd", 5), "c"), -1);
  EXPECT_EQ(FindText("abcd", TextView("c\0x", 3)), 3);
}

using ::testing::HasSubstr;

TEST(FatalStopDeathTest, ShowsTheMessageAndExitsWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // "运行时出错!\r\n\r\n错误信息：" in GBK.
  const std::string heading =
      "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";
  EXPECT_EXIT(FatalStop("boom"), ::testing::ExitedWithCode(255), HasSubstr(heading + "boom\r\n"));
}

TEST(FatalStopDeathTest, RefusedAllocationNamesTheByteCount) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // "分配 " and " 字节内存失败!" in GBK.
  const std::string allocate = "\xB7\xD6\xC5\xE4 ";
  const std::string failed = " \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!";
  const std::size_t huge = SIZE_MAX / 4;
  EXPECT_EXIT(TextAllocator<char>().allocate(huge), ::testing::ExitedWithCode(255),
              HasSubstr(allocate + std::to_string(huge) + failed));
  EXPECT_EXIT(Text().reserve(SIZE_MAX / 8), ::testing::ExitedWithCode(255),
              HasSubstr(failed + "\r\n"));
}

}  // namespace
}  // namespace zorvane
