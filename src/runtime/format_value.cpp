// The texts of numbers. Written without printf so that neither the
// C library nor the process's locale changes a digit: the double form is what the
// shared sign-in data file holds, and it must read the same on every platform.
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "runtime/convert.h"

namespace zorvane {
namespace {

template <class Integer>
Text IntegerText(Integer value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Text(buffer, result.ptr);
}

// A finite non-negative value rounded to `precision` significant digits:
// value ~ d.ddd x 10^exponent.
struct Significant {
  std::string digits;
  int exponent = 0;
};

// The exponent of to_chars' scientific form, which follows the last 'e'.
int ExponentAfterE(std::string_view scientific) {
  const std::size_t e = scientific.rfind('e');
  int exponent = 0;
  const char* first = scientific.data() + e + 1;
  if (*first == '+') {
    ++first;
  }
  std::from_chars(first, scientific.data() + scientific.size(), exponent);
  return exponent;
}

// The digits of to_chars' scientific form "d.ddde+xx", without the point.
Significant SplitScientific(std::string_view scientific) {
  Significant result;
  for (char c : scientific.substr(0, scientific.rfind('e'))) {
    if (c != '.') {
      result.digits.push_back(c);
    }
  }
  result.exponent = ExponentAfterE(scientific);
  return result;
}

// The value's decimal digits, rounded to nearest by to_chars.
Significant Digits(double magnitude, int precision) {
  char buffer[800];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                 std::chars_format::scientific, precision - 1)
                       .ptr;
  return SplitScientific(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

// The first `precision` of digits, the rest rounded off: up when the first
// digit dropped is 5 or more.
Significant RoundedUpFromFive(Significant exact, int precision) {
  const bool roundUp = exact.digits[static_cast<std::size_t>(precision)] >= '5';
  exact.digits.resize(static_cast<std::size_t>(precision));
  if (roundUp) {
    std::size_t i = exact.digits.size();
    while (i > 0 && exact.digits[i - 1] == '9') {
      exact.digits[--i] = '0';
    }
    if (i == 0) {
      exact.digits.insert(exact.digits.begin(), '1');
      exact.digits.pop_back();
      ++exact.exponent;
    } else {
      ++exact.digits[i - 1];
    }
  }
  return exact;
}

// Nearest, exact decimal ties away from zero, as the C runtime of Windows
// rounds. A tie shows as a 5 followed by zeros in the value's first
// precision + 4 digits; only then is the exact expansion (at most 767
// significant digits for a double) worth writing out.
Significant RoundHalfAwayFromZero(double magnitude, int precision) {
  const Significant near = Digits(magnitude, precision + 4);
  const std::string_view dropped = std::string_view(near.digits).substr(precision);
  if (dropped != "5000") {
    return Digits(magnitude, precision);
  }
  return RoundedUpFromFive(Digits(magnitude, 770), precision);
}

void AppendWithoutTrailingZeros(Text& out, std::string_view integerPart,
                                std::string_view fraction) {
  out.append(integerPart);
  const std::size_t kept = fraction.find_last_not_of('0');
  if (kept != std::string_view::npos) {
    out.push_back('.');
    out.append(fraction.substr(0, kept + 1));
  }
}

// "d.ddde+xxx": the exponent has at least three digits, as the module has always
// written it.
void AppendExponential(Text& out, const Significant& value) {
  const std::string_view digits = value.digits;
  AppendWithoutTrailingZeros(out, digits.substr(0, 1), digits.substr(1));
  out.push_back('e');
  out.push_back(value.exponent < 0 ? '-' : '+');
  const Text magnitude = IntegerText(std::abs(value.exponent));
  out.append(magnitude.size() < 3 ? 3 - magnitude.size() : 0, '0');
  out.append(magnitude);
}

void AppendPositional(Text& out, const Significant& value) {
  const std::string_view digits = value.digits;
  if (value.exponent >= 0) {
    const auto integerDigits = static_cast<std::size_t>(value.exponent) + 1;
    AppendWithoutTrailingZeros(out, digits.substr(0, integerDigits), digits.substr(integerDigits));
    return;
  }
  std::string fraction(static_cast<std::size_t>(-value.exponent - 1), '0');
  fraction.append(digits);
  AppendWithoutTrailingZeros(out, "0", fraction);
}

// printf's "%.<precision>g" of a value already rounded to `precision` digits.
Text GeneralForm(bool negative, const Significant& value, int precision) {
  Text out;
  if (negative) {
    out.push_back('-');
  }
  if (value.exponent < -4 || value.exponent >= precision) {
    AppendExponential(out, value);
  } else {
    AppendPositional(out, value);
  }
  return out;
}

// What printf writes for the values that have no digits.
Text NonFiniteText(double value) {
  if (std::isnan(value)) {
    return Text("nan");
  }
  return Text(value < 0 ? "-inf" : "inf");
}

}  // namespace

Text FormatValue(std::int32_t value) {
  return IntegerText(value);
}

Text FormatValue(double value) {
  if (!std::isfinite(value)) {
    return NonFiniteText(value);
  }
  constexpr int kPrecision = 13;
  return GeneralForm(std::signbit(value), RoundHalfAwayFromZero(std::fabs(value), kPrecision),
                     kPrecision);
}

}  // namespace zorvane
