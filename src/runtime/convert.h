// Conversions between values and texts.
#pragma once

#include <cstdint>

#include "runtime/byte_buffer.h"
#include "runtime/text.h"

namespace zorvane {

// Full-width digits, signs and letters to ASCII, the ideographic space to a
// blank, "～" to "~", "☆"/"★" to "*"; a lone lead byte at the end is dropped.
Text FoldFullWidth(TextView text);

// FoldFullWidth, then the decimal syntax of atof with the exponent letters
// e, E, d and D; anything that is not a number reads as 0.
double ToNumber(TextView text);

// Numbers in their printf forms: "%d", and "%.13g" with a three-digit
// exponent, the form that the ledger holds balances in.
Text FormatValue(std::int32_t value);
Text FormatValue(double value);

// The buffer's bytes up to its first NUL.
Text ToText(const ByteBuffer& bytes);
// A copy of the text.
Text ToText(TextView text);
Text ToText(const char* text);
// FormatValue of a number.
template <class Value>
requires requires(Value v) {
  FormatValue(v);
}
Text ToText(Value value) {
  return FormatValue(value);
}

}  // namespace zorvane
