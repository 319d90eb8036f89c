// FindText and TextBetween on arbitrary bytes with every option: no crash,
// no read outside the texts, and results that agree with the rules of the
// search (first match on a character boundary from the start position; the
// part between the first start marker and the first end marker after it).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "runtime/text.h"
#include "runtime/text_between.h"

using namespace zorvane;

namespace {

bool SameBytes(TextView a, TextView b, bool ignoreCase) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = ignoreCase ? FoldAsciiLetter(a[i]) : a[i];
    const char y = ignoreCase ? FoldAsciiLetter(b[i]) : b[i];
    if (x != y) {
      return false;
    }
  }
  return true;
}

// The search written out plainly: walk the characters from the start
// position and report the first one where the needle's bytes begin.
std::int32_t ReferenceFind(TextView haystack, TextView needle, std::optional<std::int32_t> startPos,
                           bool ignoreCase) {
  haystack = UpToNul(haystack);
  needle = UpToNul(needle);
  std::int64_t at = startPos ? std::max<std::int64_t>(*startPos, 1) - 1 : 0;
  if (at >= static_cast<std::int64_t>(haystack.size())) {
    return -1;
  }
  if (needle.empty()) {
    return 1;
  }
  for (std::size_t i = static_cast<std::size_t>(at); i < haystack.size();) {
    if (SameBytes(haystack.substr(i, needle.size()), needle, ignoreCase)) {
      return static_cast<std::int32_t>(i + 1);
    }
    if (StartsDoubleByteCharacter(haystack[i])) {
      if (i + 1 == haystack.size()) {
        return -1;
      }
      i += 2;
    } else {
      i += 1;
    }
  }
  return -1;
}

std::optional<std::int32_t> MaybeNumber(FuzzedDataProvider& input) {
  if (!input.ConsumeBool()) {
    return std::nullopt;
  }
  // Mostly positions inside the texts, now and then anything at all.
  return input.ConsumeBool() ? input.ConsumeIntegralInRange<std::int32_t>(-4, 80)
                             : input.ConsumeIntegral<std::int32_t>();
}

void CheckFind(TextView haystack, TextView needle, std::optional<std::int32_t> startPos,
               bool ignoreCase) {
  const std::int32_t found = FindText(haystack, needle, startPos, ignoreCase);
  FUZZ_CHECK(found == ReferenceFind(haystack, needle, startPos, ignoreCase));
}

void CheckBetween(TextView haystack, TextView startMarker, TextView endMarker,
                  TextBetweenOptions options) {
  std::int32_t outLength = -7;
  std::int32_t outStart = -7;
  options.outLength = &outLength;
  options.outStart = &outStart;
  const Text part = TextBetween(haystack, startMarker, endMarker, options);

  const TextView text = UpToNul(haystack);
  const std::int32_t start = ReferenceFind(haystack, startMarker, options.startPos, false);
  if (start == -1) {
    FUZZ_CHECK(part.empty() && outStart == -7 && outLength == -7);
    return;
  }
  const std::int32_t partStart = start + TextLength(startMarker);
  FUZZ_CHECK(outStart == partStart);
  const std::int32_t end = ReferenceFind(haystack, endMarker, partStart, false);
  if (end == -1 || end < partStart) {
    FUZZ_CHECK(part.empty() && outLength == -7);
    return;
  }
  FUZZ_CHECK(outLength == end - partStart);
  const TextView whole =
      text.substr(static_cast<std::size_t>(partStart - 1), static_cast<std::size_t>(outLength));
  if (options.rejectLonger && outLength > options.maxLength.value_or(0)) {
    FUZZ_CHECK(part.empty());
  } else if (options.maxLength) {
    const std::int32_t kept = std::max(0, std::min(*options.maxLength, outLength));
    FUZZ_CHECK(part == whole.substr(0, static_cast<std::size_t>(kept)));
  } else {
    FUZZ_CHECK(part == whole);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // Short markers first, so that they turn up in the haystack often.
  const std::string startMarker = input.ConsumeRandomLengthString(8);
  const std::string endMarker = input.ConsumeRandomLengthString(8);
  const bool ignoreCase = input.ConsumeBool();
  const std::optional<std::int32_t> startPos = MaybeNumber(input);
  TextBetweenOptions options;
  options.startPos = MaybeNumber(input);
  options.maxLength = MaybeNumber(input);
  options.rejectLonger = input.ConsumeBool();
  const std::string haystack = input.ConsumeRemainingBytesAsString();

  CheckFind(haystack, startMarker, startPos, ignoreCase);
  CheckFind(haystack, endMarker, std::nullopt, ignoreCase);
  CheckBetween(haystack, startMarker, endMarker, options);
  return 0;
}
