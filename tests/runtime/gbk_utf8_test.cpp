#include "runtime/gbk_utf8.h"

#include <gtest/gtest.h>

#include "runtime/gbk_to_utf8.h"

namespace riddle_site {
namespace {

// Literals in this file are compiled to GBK; these are the UTF-8 bytes.
constexpr char StartWordUtf8[] = "\xE5\xBC\x80\xE5\xA7\x8B";  // 开始
constexpr char EmojiUtf8[] = "\xF0\x9F\x98\x80";

TEST(Utf8ToGbk, ConvertsUtf8ToGbk) {
  EXPECT_EQ(Utf8ToGbk(StartWordUtf8), "开始");
  EXPECT_EQ(Utf8ToGbk("a\r\nb"), "a\r\nb");
  EXPECT_EQ(Utf8ToGbk(""), "");

  // Longer than the converter's buffer, and back as the module's texts are shown.
  std::string gbk;
  for (int i = 0; i < 300; ++i) {
    gbk += "谜底：";
  }
  const std::string utf8 = zorvane::GbkToUtf8(gbk);
  EXPECT_EQ(Utf8ToGbk(utf8), gbk);
}

TEST(Utf8ToGbk, RefusesWhatIsNotUtf8OrNotInGbk) {
  EXPECT_EQ(Utf8ToGbk(std::string("x") + EmojiUtf8), std::nullopt);
  EXPECT_EQ(Utf8ToGbk("\xE5\xBC"), std::nullopt);  // cut-off UTF-8
  EXPECT_EQ(Utf8ToGbk("\xC0\xAF"), std::nullopt);  // overlong
}

}  // namespace
}  // namespace riddle_site
