// Reading numbers out of texts, and the texts of byte buffers and texts.
#include "runtime/convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <system_error>

namespace zorvane {
namespace {

constexpr unsigned char kIdeographicLead = 0xA1;
constexpr unsigned char kFullWidthAsciiLead = 0xA3;

// The single byte a double-byte character folds to, or 0 when it stays as it is.
char FoldedPair(unsigned char lead, unsigned char trail) {
  if (lead == kIdeographicLead) {
    switch (trail) {
      case 0xA1:
        return ' ';
      case 0xAB:
        return '~';
      case 0xEE:
      case 0xEF:
        return '*';
      default:
        return 0;
    }
  }
  if (lead == kFullWidthAsciiLead && trail >= 0xA1 && trail <= 0xFE) {
    return static_cast<char>(trail - 0x80);
  }
  return 0;
}

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsExponentLetter(char c) {
  return c == 'e' || c == 'E' || c == 'd' || c == 'D';
}

// Far beyond any text's length, so that saturating here never changes the outcome,
// yet small enough that adding a text's length cannot overflow.
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;

// A decimal number as written: value = 0.digits x 10^exponent, digits without
// leading or trailing zeros (empty for zero).
struct Decimal {
  bool negative = false;
  std::string digits;
  std::int64_t exponent = 0;
};

// The exponent part at text[i] ("e", "E", "d" or "D", a sign, digits); i moves past it
// only when a digit follows the letter and sign.
std::int64_t ScanExponent(std::string_view text, std::size_t& i) {
  if (i >= text.size() || !IsExponentLetter(text[i])) {
    return 0;
  }
  std::size_t j = i + 1;
  bool negative = false;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
    negative = text[j] == '-';
    ++j;
  }
  if (j >= text.size() || !IsDigit(text[j])) {
    return 0;
  }
  std::int64_t value = 0;
  for (; j < text.size() && IsDigit(text[j]); ++j) {
    value = std::min(value * 10 + (text[j] - '0'), kExponentCap);
  }
  i = j;
  return negative ? -value : value;
}

// The atof syntax: blanks, a sign, digits with at most one point, an exponent.
// False when no digit comes before the exponent.
bool ScanDecimal(std::string_view text, Decimal& out) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) {
    ++i;
  }
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    out.negative = text[i] == '-';
    ++i;
  }
  bool sawDigit = false;
  bool sawPoint = false;
  std::int64_t pointPosition = 0;  // digits kept before the point
  std::int64_t skippedZeros = 0;   // leading zeros after the point
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !sawPoint) {
      sawPoint = true;
      continue;
    }
    if (!IsDigit(c)) {
      break;
    }
    sawDigit = true;
    if (c == '0' && out.digits.empty()) {
      skippedZeros += sawPoint ? 1 : 0;
      continue;
    }
    out.digits.push_back(c);
    pointPosition += sawPoint ? 0 : 1;
  }
  if (!sawDigit) {
    return false;
  }
  const std::size_t significant = out.digits.find_last_not_of('0');
  out.digits.resize(significant == std::string::npos ? 0 : significant + 1);
  out.exponent = ScanExponent(text, i) + pointPosition - skippedZeros;
  return true;
}

// The nearest double; values beyond the largest double read as infinity, those
// below the smallest as zero.
double NearestDouble(const Decimal& decimal) {
  const double sign = decimal.negative ? -1.0 : 1.0;
  if (decimal.digits.empty() || decimal.exponent < -330) {
    return sign * 0.0;
  }
  if (decimal.exponent > 310) {
    return sign * HUGE_VAL;
  }
  std::string scientific = decimal.digits;
  scientific += 'e';
  scientific += std::to_string(decimal.exponent - static_cast<std::int64_t>(decimal.digits.size()));
  double value = 0.0;
  const auto [end, error] =
      std::from_chars(scientific.data(), scientific.data() + scientific.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    value = decimal.exponent > 0 ? HUGE_VAL : 0.0;
  }
  return sign * value;
}

}  // namespace

Text FoldFullWidth(TextView text) {
  const std::size_t length = static_cast<std::size_t>(TextLength(text));
  Text folded;
  folded.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      folded.push_back(text[i]);
      continue;
    }
    if (i + 1 >= length) {
      break;  // a lone lead byte at the end
    }
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (const char single = FoldedPair(lead, trail)) {
      folded.push_back(single);
    } else {
      folded.append(text.substr(i, 2));
    }
    ++i;
  }
  return folded;
}

double ToNumber(TextView text) {
  const Text folded = FoldFullWidth(text);
  Decimal decimal;
  if (!ScanDecimal(TextView(folded), decimal)) {
    return 0.0;
  }
  return NearestDouble(decimal);
}

Text ToText(const ByteBuffer& bytes) {
  if (bytes.empty()) {
    return Text();
  }
  const auto* begin = reinterpret_cast<const char*>(bytes.data());
  const void* nul = std::memchr(begin, 0, bytes.size());
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : bytes.size();
  return Text(begin, length);
}

Text ToText(TextView text) {
  return Text(text.substr(0, static_cast<std::size_t>(TextLength(text))));
}

Text ToText(const char* text) {
  return CopyText(text);
}

}  // namespace zorvane
