#include "runtime/gbk_to_utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvane {
namespace {

using namespace std::string_literals;

// Literals in this file are compiled to GBK; these are the UTF-8 bytes.
constexpr char StartWordUtf8[] = "\xE5\xBC\x80\xE5\xA7\x8B";  // 开始

TEST(GbkToUtf8, ConvertsGbkAndStopsAtTheFirstNul) {
  EXPECT_EQ(GbkToUtf8("\xBF\xAA\xCA\xBC"), StartWordUtf8);  // 开始 in GBK
  EXPECT_EQ(GbkToUtf8("开始"), StartWordUtf8);
  EXPECT_EQ(GbkToUtf8("a\r\nb"), "a\r\nb");
  EXPECT_EQ(GbkToUtf8(""), "");
  EXPECT_EQ(GbkToUtf8("开始\0after"s), StartWordUtf8);

  // Longer than the converter's chunk: nothing is lost between chunks.
  std::string gbk;
  for (int i = 0; i < 300; ++i) {
    gbk += "谜底：";
  }
  EXPECT_EQ(GbkToUtf8(gbk).size(), 300u * 9u);
}

TEST(GbkToUtf8, MarksEachBadByteAndGoesOn) {
  EXPECT_EQ(GbkToUtf8("a\xFF"
                      "b"),
            "a?b");                       // starts no GBK character
  EXPECT_EQ(GbkToUtf8("ab\xBF"), "ab?");  // a lead byte cut off at the end
  EXPECT_EQ(GbkToUtf8("\xFF开始"), "?"s + StartWordUtf8);
}

}  // namespace
}  // namespace zorvane
