// Conversions between values and texts.
#pragma once

#include <concepts>
#include <cstdint>

#include "runtime/byte_buffer.h"
#include "runtime/text.h"

namespace zorvane {

// An OLE automation date: days since 30 December 1899 00:00, the fraction
// being the time of day.
struct DateTime {
  double days = 0.0;
};

// Full-width digits, signs and letters to ASCII, the ideographic space to a
// blank, "～" to "~", "☆"/"★" to "*"; a lone lead byte at the end is dropped.
Text FoldFullWidth(TextView text);

// FoldFullWidth, then the decimal syntax of atof with the exponent letters
// e, E, d and D; anything that is not a number reads as 0.
double ToNumber(TextView text);

// Numbers in their printf forms ("%u", "%d", "%.6g", "%.13g" with a
// three-digit exponent), truth values as "真"/"假", date-times as
// "%d年%d月%d日" plus the time of day.
Text FormatValue(std::uint8_t value);
Text FormatValue(std::int16_t value);
Text FormatValue(std::int32_t value);
Text FormatValue(std::int64_t value);
Text FormatValue(float value);
Text FormatValue(double value);
Text FormatValue(DateTime value);
// Only a real bool: a pointer or number must never be taken for a truth value.
template <std::same_as<bool> Bool>
Text FormatValue(Bool value) {
  return Text(value ? "真" : "假");
}

// The buffer's bytes up to its first NUL.
Text ToText(const ByteBuffer& bytes);
// A copy of the text.
Text ToText(TextView text);
Text ToText(const char* text);
// FormatValue of a number, truth value or date-time.
template <class Value>
requires requires(Value v) {
  FormatValue(v);
}
Text ToText(Value value) {
  return FormatValue(value);
}

}  // namespace zorvane
