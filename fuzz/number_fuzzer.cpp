// ToNumber and FoldFullWidth on arbitrary bytes. Besides running clean under
// the sanitizers, the fold must be idempotent and may only shorten the text,
// a number must read the same before and after folding, a plain decimal must
// read as the C library reads it, and a balance written back in the ledger's
// form must read back as (nearly) the same value.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "runtime/convert.h"

using namespace zorvane;

namespace {

bool SameDouble(double a, double b) {
  return a == b && std::signbit(a) == std::signbit(b);
}

// A folded text that strtod reads exactly as ToNumber should: blanks,
// signs, digits, points and the exponent letters only (d and D as e).
bool AsStrtodReadsIt(TextView folded, std::string& forStrtod) {
  forStrtod.clear();
  for (const char c : folded) {
    if (c == 'd' || c == 'D') {
      forStrtod += 'e';
    } else if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E' ||
               c == ' ' || (c >= '\t' && c <= '\r')) {
      forStrtod += c;
    } else {
      return false;
    }
  }
  return true;
}

// Values the ledger can hold: zero and normal doubles (tiny subnormal
// amounts are not money).
bool IsLedgerValue(double value) {
  return std::isfinite(value) && (value == 0.0 || std::fabs(value) >= DBL_MIN);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Text folded = FoldFullWidth(text);
  FUZZ_CHECK(folded.size() <= static_cast<std::size_t>(TextLength(text)));
  FUZZ_CHECK(folded.find('\0') == Text::npos);
  FUZZ_CHECK(FoldFullWidth(folded) == folded);

  const double number = ToNumber(text);
  FUZZ_CHECK(!std::isnan(number));
  FUZZ_CHECK(SameDouble(number, ToNumber(folded)));

  std::string forStrtod;
  if (AsStrtodReadsIt(folded, forStrtod)) {
    const double expected = std::strtod(forStrtod.c_str(), nullptr);
    if (IsLedgerValue(expected) || std::isinf(expected)) {
      FUZZ_CHECK(number == expected);
    }
  }

  if (IsLedgerValue(number)) {
    // What AdjustBalance writes back ("%.13g") and the next event reads.
    const double reread = ToNumber(ToText(number));
    FUZZ_CHECK(std::fabs(reread - number) <= std::fabs(number) * 1e-12);
  }
  if (std::fabs(number) < 2147483647.0) {
    const auto whole = static_cast<std::int32_t>(number);
    FUZZ_CHECK(ToNumber(ToText(whole)) == whole);
  }
  return 0;
}
