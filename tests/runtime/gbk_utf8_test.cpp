#include "runtime/gbk_utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "gbk_utf8_cases.h"
#include "support/hex.h"

namespace zorvane {
namespace {

using testing::ConversionCase;
using testing::Hex;

std::string Shown(const std::optional<std::string>& text) {
  return text ? Hex(*text) : "(refused)";
}

std::string Shown(const std::optional<std::string_view>& text) {
  return text ? Hex(std::string(*text)) : "(refused)";
}

TEST(GbkUtf8, EachWayStrictRefusesAndLenientMarksWhatItCannotCarry) {
  for (const ConversionCase& c : testing::GbkToUtf8Cases) {
    EXPECT_EQ(Shown(GbkToUtf8(c.from)), Shown(c.strict)) << "GBK to UTF-8: " << c.what;
    EXPECT_EQ(Hex(GbkToUtf8Lenient(c.from)), Hex(std::string(c.lenient)))
        << "GBK to UTF-8, lenient: " << c.what;
  }
  for (const ConversionCase& c : testing::Utf8ToGbkCases) {
    EXPECT_EQ(Shown(Utf8ToGbk(c.from)), Shown(c.strict)) << "UTF-8 to GBK: " << c.what;
    EXPECT_EQ(Hex(Utf8ToGbkLenient(c.from)), Hex(std::string(c.lenient)))
        << "UTF-8 to GBK, lenient: " << c.what;
  }
}

TEST(GbkUtf8, Gb18030ReadsAsGbkAndBeyond) {
  for (const ConversionCase& c : testing::Gb18030ToUtf8Cases) {
    EXPECT_EQ(Shown(Gb18030ToUtf8(c.from)), Shown(c.strict)) << "GB18030 to UTF-8: " << c.what;
  }
}

TEST(GbkUtf8, LongTextsGoThereAndBackWhole) {
  // Longer than a conversion's chunk: nothing is lost between chunks.
  std::string gbk;
  for (int i = 0; i < 300; ++i) {
    gbk += std::string(testing::StartWordGbk) + "\xA3\xBA";
  }
  const std::optional<std::string> utf8 = GbkToUtf8(gbk);
  ASSERT_TRUE(utf8);
  EXPECT_EQ(utf8->size(), 300u * 9u);
  EXPECT_EQ(GbkToUtf8Lenient(gbk), *utf8);
  EXPECT_EQ(Utf8ToGbk(*utf8), gbk);
  EXPECT_EQ(Utf8ToGbkLenient(*utf8 + "\xF0\x9F\x98\x80"), gbk + "?");
}

}  // namespace
}  // namespace zorvane
