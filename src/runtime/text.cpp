#include "runtime/text.h"

#include <algorithm>
#include <climits>

namespace zorvane {
namespace {

bool MatchesAt(TextView haystack, std::size_t at, TextView needle, bool ignoreCase) {
  for (std::size_t k = 0; k < needle.size(); ++k) {
    const char a = haystack[at + k];
    const char b = needle[k];
    if (a != b && !(ignoreCase && FoldAsciiLetter(a) == FoldAsciiLetter(b))) {
      return false;
    }
  }
  return true;
}

}  // namespace

// A text ends at its first NUL, whatever the view around it holds.
TextView UpToNul(TextView t) {
  return t.substr(0, t.find('\0'));
}

bool IsValidGbk(TextView text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(text[i]);
    if (first < 0x80) {
      continue;
    }
    if (first == 0x80 || first == 0xFF || ++i == text.size()) {
      return false;
    }
    const auto second = static_cast<unsigned char>(text[i]);
    if (second < 0x40 || second == 0x7F || second == 0xFF) {
      return false;
    }
  }
  return true;
}

Text CopyText(const char* t) {
  return t == nullptr ? Text() : Text(t);
}

Text ConcatTexts(std::initializer_list<TextView> parts) {
  std::size_t total = 0;
  for (TextView part : parts) {
    total += UpToNul(part).size();
  }
  Text joined;
  joined.reserve(total);
  for (TextView part : parts) {
    joined.append(UpToNul(part));
  }
  return joined;
}

int CompareText(TextView a, TextView b) {
  // char_traits<char> compares bytes as unsigned values, like memcmp.
  const int order = UpToNul(a).compare(UpToNul(b));
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::int32_t TextLength(TextView t) {
  return static_cast<std::int32_t>(std::min<std::size_t>(UpToNul(t).size(), INT32_MAX));
}

Text LeftText(TextView t, std::int32_t n) {
  if (n <= 0) {
    return Text();
  }
  return Text(UpToNul(t).substr(0, static_cast<std::size_t>(n)));
}

Text MidText(TextView t, std::int32_t start, std::int32_t count) {
  const TextView text = UpToNul(t);
  // 64-bit, so that INT_MIN and INT_MAX cannot overflow.
  const std::int64_t first = static_cast<std::int64_t>(start) - 1;
  if (first < 0 || first >= static_cast<std::int64_t>(text.size()) || count <= 0) {
    return Text();
  }
  return Text(text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

std::int32_t FindText(TextView haystack, TextView needle, std::optional<std::int32_t> startPos,
                      bool ignoreCase) {
  const TextView text = UpToNul(haystack);
  const TextView wanted = UpToNul(needle);
  // value_or, not has_value() && *startPos: optimised code may then test the
  // unset value before the flag, which valgrind reports as a read of
  // uninitialised memory.
  const std::int32_t start = startPos.value_or(1);
  std::size_t at = 0;
  if (start > 1) {
    at = std::min<std::size_t>(static_cast<std::size_t>(start) - 1, text.size());
  }
  std::size_t remaining = text.size() - at;
  if (wanted.empty()) {
    // An empty needle always reports the first byte.
    return remaining > 0 ? 1 : -1;
  }
  // Step a character at a time, so that a match never straddles two
  // double-byte characters.
  while (remaining >= wanted.size()) {
    if (MatchesAt(text, at, wanted, ignoreCase)) {
      return static_cast<std::int32_t>(at + 1);
    }
    std::size_t step = 1;
    if (StartsDoubleByteCharacter(text[at])) {
      if (at + 1 >= text.size()) {
        return -1;  // a lone lead byte ends the text
      }
      step = 2;
    }
    at += step;
    remaining -= step;
  }
  return -1;
}

}  // namespace zorvane
