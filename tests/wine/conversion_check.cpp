// The converter's Windows side (code page 936) against the cases that the
// POSIX side passes too: prints each case that gives anything else, and
// ends with status 1 when there was one.
//
//   conversion_check   -> "conversions: N cases, M differ"
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

#include "runtime/gbk_utf8.h"
#include "runtime/gbk_utf8_cases.h"
#include "support/hex.h"

namespace {

using namespace zorvane;
using zorvane::testing::ConversionCase;

std::string Shown(const std::optional<std::string>& text) {
  return text ? testing::Hex(*text) : "(refused)";
}

// The cases of one way that give anything else than they should.
int Check(const char* way, const ConversionCase* cases, std::size_t count,
          std::optional<std::string> (*strict)(std::string_view),
          std::string (*lenient)(std::string_view) = nullptr) {
  int differ = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const ConversionCase& c = cases[i];
    const std::string expectedStrict =
        Shown(c.strict ? std::optional<std::string>(*c.strict) : std::nullopt);
    const std::string gotStrict = Shown(strict(c.from));
    // A way without a lenient mode checks its strict one alone.
    const std::string expectedLenient = testing::Hex(std::string(c.lenient));
    const std::string gotLenient = lenient ? testing::Hex(lenient(c.from)) : expectedLenient;
    if (gotStrict != expectedStrict || gotLenient != expectedLenient) {
      ++differ;
      std::printf("%s, %s: strict %s (expected %s), lenient %s (expected %s)\n", way, c.what,
                  gotStrict.c_str(), expectedStrict.c_str(), gotLenient.c_str(),
                  expectedLenient.c_str());
    }
  }
  return differ;
}

}  // namespace

int main() {
  std::size_t count = std::size(testing::GbkToUtf8Cases) + std::size(testing::Utf8ToGbkCases);
  int differ = Check("GBK to UTF-8", testing::GbkToUtf8Cases, std::size(testing::GbkToUtf8Cases),
                     GbkToUtf8, GbkToUtf8Lenient) +
               Check("UTF-8 to GBK", testing::Utf8ToGbkCases, std::size(testing::Utf8ToGbkCases),
                     Utf8ToGbk, Utf8ToGbkLenient);
  // Windows reads GB18030 through its code page 54936, which Wine lacks: a
  // system without it refuses every GB18030 text, and the riddle site then
  // reads such a file as UTF-8 and names its lines that are not.
  if (Gb18030ToUtf8(testing::StartWordGbk)) {
    count += std::size(testing::Gb18030ToUtf8Cases);
    differ += Check("GB18030 to UTF-8", testing::Gb18030ToUtf8Cases,
                    std::size(testing::Gb18030ToUtf8Cases), Gb18030ToUtf8);
  } else {
    std::printf(
        "GB18030 to UTF-8: this system has no code page 54936; its %d cases are not "
        "checked\n",
        static_cast<int>(std::size(testing::Gb18030ToUtf8Cases)));
  }
  std::printf("conversions: %d cases, %d differ\n", static_cast<int>(count), differ);
  return differ == 0 ? 0 : 1;
}
