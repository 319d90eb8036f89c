#include "runtime/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace zorvane {
namespace {

std::string Str(const Text& t) {
  return std::string(t);
}

TEST(ToNumber, ReadsTheDecimalSyntax) {
  EXPECT_EQ(ToNumber("80"), 80.0);
  EXPECT_EQ(ToNumber(" 75.5元"), 75.5);
  EXPECT_EQ(ToNumber("   42"), 42.0);
  EXPECT_EQ(ToNumber("\t\n\v\f\r7"), 7.0);
  EXPECT_EQ(ToNumber("42abc"), 42.0);
  EXPECT_EQ(ToNumber("+.5"), 0.5);
  EXPECT_EQ(ToNumber("5."), 5.0);
  EXPECT_EQ(ToNumber("-12.25"), -12.25);
  EXPECT_EQ(ToNumber("1.2.3"), 1.2);
  EXPECT_EQ(ToNumber("000123.4500"), 123.45);
  EXPECT_EQ(ToNumber("0.00125"), 0.00125);
}

TEST(ToNumber, NonNumbersReadAsZero) {
  for (const char* text : {"", "abc", ".", "+", "-", "+-1", ".e5", "e5", "- 5", "元5"}) {
    EXPECT_EQ(ToNumber(text), 0.0) << text;
  }
  // No hexadecimal and no spelled-out infinity or not-a-number.
  for (const char* text : {"0x10", "inf", "INFINITY", "nan", "NAN(1)"}) {
    EXPECT_EQ(ToNumber(text), 0.0) << text;
  }
}

TEST(ToNumber, ExponentLetters) {
  EXPECT_EQ(ToNumber("1d2"), 100.0);
  EXPECT_EQ(ToNumber("1D-2"), 0.01);
  EXPECT_EQ(ToNumber("2.5E+3"), 2500.0);
  EXPECT_EQ(ToNumber("1e+020"), 1e20);
  EXPECT_EQ(ToNumber(".5e1"), 5.0);
  // A letter, or a letter and a sign, without digits is not part of the number.
  EXPECT_EQ(ToNumber("1e"), 1.0);
  EXPECT_EQ(ToNumber("1e+"), 1.0);
  EXPECT_EQ(ToNumber("1d-x"), 1.0);
  EXPECT_EQ(ToNumber("3ee2"), 3.0);
}

TEST(ToNumber, FoldsFullWidthFormsFirst) {
  EXPECT_EQ(ToNumber("１２．５"), 12.5);
  EXPECT_EQ(ToNumber("\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB5"), 12.5);
  EXPECT_EQ(ToNumber("４０"), 40.0);
  EXPECT_EQ(ToNumber("　４０"), 40.0);
  EXPECT_EQ(ToNumber("－３"), -3.0);
  EXPECT_EQ(ToNumber("＋１ｅ２"), 100.0);
}

TEST(ToNumber, RoundsToTheNearestDouble) {
  EXPECT_EQ(ToNumber("0.1"), 0.1);
  EXPECT_EQ(ToNumber("9007199254740993"), 9007199254740992.0);  // a tie, to even
  EXPECT_EQ(ToNumber("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(ToNumber("1" + std::string(400, '0') + "e-400"), 1.0);
  EXPECT_EQ(ToNumber("0." + std::string(400, '0') + "25e401"), 2.5);
}

TEST(ToNumber, BeyondTheRangeOfADouble) {
  EXPECT_EQ(ToNumber("1e999"), HUGE_VAL);
  EXPECT_EQ(ToNumber("-1e999"), -HUGE_VAL);
  EXPECT_EQ(ToNumber("2e308"), HUGE_VAL);
  EXPECT_EQ(ToNumber(std::string(400, '9')), HUGE_VAL);
  EXPECT_EQ(ToNumber("1e-999"), 0.0);
  EXPECT_EQ(ToNumber("1e-99999999999999999999999"), 0.0);
  EXPECT_EQ(ToNumber("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(ToNumber, ReadsOnlyUpToANul) {
  EXPECT_EQ(ToNumber(TextView("12\0"
                              "34",
                              5)),
            12.0);
}

TEST(FoldFullWidth, FoldsTheListedCharacters) {
  EXPECT_EQ(Str(FoldFullWidth("　～☆★")), " ~**");
  EXPECT_EQ(Str(FoldFullWidth("ＡＢｃ！￣")), "ABc!~");
  EXPECT_EQ(Str(FoldFullWidth("\xA3\xA1\xA3\xFE")), "!~");
  // Everything else keeps its bytes, ASCII trail bytes included.
  EXPECT_EQ(Str(FoldFullWidth("中文a")), "中文a");
  EXPECT_EQ(Str(FoldFullWidth("\xA3\xA0\xA1\xA2\xB0"
                              "a")),
            "\xA3\xA0\xA1\xA2\xB0"
            "a");
  EXPECT_EQ(Str(FoldFullWidth("a\xB0")), "a");  // a lone lead byte at the end
  EXPECT_EQ(Str(FoldFullWidth(TextView("\xA3\xB1\0\xA3\xB2", 5))), "1");
  EXPECT_EQ(Str(FoldFullWidth("")), "");
}

TEST(FormatValue, Integers) {
  EXPECT_EQ(Str(ToText(std::int32_t{25})), "25");
  EXPECT_EQ(Str(ToText(std::int32_t{-7})), "-7");
  EXPECT_EQ(Str(FormatValue(std::numeric_limits<std::int32_t>::min())), "-2147483648");
}

TEST(FormatValue, DoublesInThirteenDigits) {
  EXPECT_EQ(Str(ToText(75.0)), "75");
  EXPECT_EQ(Str(ToText(80.5)), "80.5");
  EXPECT_EQ(Str(ToText(0.1 + 0.2)), "0.3");
  EXPECT_EQ(Str(ToText(2.0 / 3.0)), "0.6666666666667");
  EXPECT_EQ(Str(ToText(-12.0)), "-12");
  EXPECT_EQ(Str(ToText(-3.5)), "-3.5");
  EXPECT_EQ(Str(ToText(0.0)), "0");
  EXPECT_EQ(Str(ToText(1234567890123.0)), "1234567890123");
  EXPECT_EQ(Str(ToText(0.0001)), "0.0001");
  EXPECT_EQ(Str(ToText(0.000123456)), "0.000123456");
}

TEST(FormatValue, DoubleTiesRoundAwayFromZeroLikeTheWindowsRuntime) {
  // Exact decimal ties at the 14th digit; rounding to even would go down.
  EXPECT_EQ(Str(ToText(1234567890122.5)), "1234567890123");
  EXPECT_EQ(Str(ToText(-1234567890122.5)), "-1234567890123");
  EXPECT_EQ(Str(ToText(12345678901225.0)), "1.234567890123e+013");
  EXPECT_EQ(Str(ToText(9999999999999.5)), "1e+013");
  // Near a tie but not one: the binary value decides.
  EXPECT_EQ(Str(ToText(1.0000000000015)), "1.000000000001");  // 1.00000000000149991...
  EXPECT_EQ(Str(ToText(1.0000000000005)), "1.000000000001");  // 1.00000000000050004...
}

TEST(FormatValue, DoubleExponentsHaveAtLeastThreeDigits) {
  EXPECT_EQ(Str(ToText(12345678901234.0)), "1.234567890123e+013");
  EXPECT_EQ(Str(ToText(1e20)), "1e+020");
  EXPECT_EQ(Str(ToText(-1e20)), "-1e+020");
  EXPECT_EQ(Str(ToText(0.00001)), "1e-005");
  EXPECT_EQ(Str(ToText(1.5e-7)), "1.5e-007");
  EXPECT_EQ(Str(ToText(1e100)), "1e+100");
  EXPECT_EQ(Str(ToText(1e-300)), "1e-300");
  EXPECT_EQ(Str(ToText(std::numeric_limits<double>::denorm_min())), "4.940656458412e-324");
  // The form follows the exponent after rounding: 9999999999999.5 rounds to 1e13.
  EXPECT_EQ(Str(ToText(9999999999999.5)), "1e+013");
  EXPECT_EQ(Str(ToText(0.000099999999999999)), "0.0001");
}

TEST(FormatValue, DoubleTextReadsBack) {
  for (double value : {1e20, -0.00001, 2.0 / 3.0, 123456.789, 12345678901234.0}) {
    const double back = ToNumber(ToText(value));
    EXPECT_NEAR(back, value, std::fabs(value) * 1e-12) << value;
  }
}

TEST(FormatValue, NonFiniteDoubles) {
  EXPECT_EQ(Str(ToText(HUGE_VAL)), "inf");
  EXPECT_EQ(Str(ToText(-HUGE_VAL)), "-inf");
  EXPECT_EQ(Str(ToText(std::numeric_limits<double>::quiet_NaN())), "nan");
}

TEST(ToText, ByteBufferUpToItsFirstNul) {
  EXPECT_EQ(Str(ToText(ByteBuffer{'a', 'b', 0, 'c', 'd'})), "ab");
  EXPECT_EQ(Str(ToText(ByteBuffer{})), "");
  EXPECT_EQ(Str(ToText(ByteBuffer{0, 'a'})), "");
  EXPECT_EQ(Str(ToText(ByteBuffer{0xD5, 0xE6, 'x'})), "\xD5\xE6x");
}

TEST(ToText, CopiesOfTexts) {
  EXPECT_EQ(Str(ToText(TextView("ab\0cd", 5))), "ab");
  EXPECT_EQ(Str(ToText(static_cast<const char*>(nullptr))), "");
  EXPECT_EQ(Str(ToText("中")), "\xD6\xD0");
}

}  // namespace
}  // namespace zorvane
