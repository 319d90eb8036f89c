#include "encoding.h"

#include <gtest/gtest.h>

namespace host_simulator {
namespace {

// Literals in this file are compiled to GBK; these are the UTF-8 bytes.
constexpr char StartWordUtf8[] = "\xE5\xBC\x80\xE5\xA7\x8B";  // 开始
constexpr char EmojiUtf8[] = "\xF0\x9F\x98\x80";

TEST(Encoding, ConvertsBetweenGbkAndUtf8) {
  EXPECT_EQ(GbkToUtf8("开始"), StartWordUtf8);
  EXPECT_EQ(Utf8ToGbk(StartWordUtf8), "开始");
  EXPECT_EQ(GbkToUtf8("a\r\nb"), "a\r\nb");
  EXPECT_EQ(Utf8ToGbk(""), "");

  // Longer than the converter's buffer.
  std::string gbk;
  for (int i = 0; i < 300; ++i) {
    gbk += "谜底：";
  }
  const std::string utf8 = GbkToUtf8(gbk);
  EXPECT_EQ(utf8.size(), 300u * 9u);
  EXPECT_EQ(Utf8ToGbk(utf8), gbk);
}

TEST(Encoding, BadInputIsMarkedOrRefused) {
  // A lead byte at the end, and a byte that starts no GBK character.
  EXPECT_EQ(GbkToUtf8("ab\xBF"), "ab?");
  EXPECT_EQ(GbkToUtf8("a\xFF"
                      "b"),
            "a?b");
  EXPECT_EQ(Utf8ToGbk(std::string("x") + EmojiUtf8), std::nullopt);
  EXPECT_EQ(Utf8ToGbk("\xE5\xBC"), std::nullopt);  // cut-off UTF-8
  EXPECT_EQ(Utf8ToGbk("\xC0\xAF"), std::nullopt);  // overlong
}

}  // namespace
}  // namespace host_simulator
