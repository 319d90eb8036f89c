// How the tests pass bytes through a line of text, between this process and
// the Windows programs they run under Wine (the test host, the settings
// probe): every byte as two lowercase hex digits, "d5e6". A text that may
// be null goes as one word: "x" and its hex ("x" alone is the empty text),
// or "-" for null. Header only, so that the Windows programs build it too.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::testing {

inline std::string ToHex(std::string_view bytes) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += Digits[byte >> 4];
    hex += Digits[byte & 15];
  }
  return hex;
}

// Pairs of hex digits as bytes; an odd last digit is dropped.
inline std::string FromHex(std::string_view hex) {
  const auto value = [](char digit) {
    return digit >= '0' && digit <= '9'   ? digit - '0'
           : digit >= 'a' && digit <= 'f' ? digit - 'a' + 10
           : digit >= 'A' && digit <= 'F' ? digit - 'A' + 10
                                          : 0;
  };
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1]));
  }
  return bytes;
}

inline std::string HexWord(const std::optional<std::string>& text) {
  if (!text) {
    return "-";
  }
  // Appended, not "x" + ...: GCC 12 warns falsely (-Wrestrict) of that.
  std::string word = "x";
  word += ToHex(*text);
  return word;
}

// A text up to its first NUL as a word, null as "-".
inline std::string HexWord(const char* text) {
  return HexWord(text == nullptr ? std::nullopt : std::optional<std::string>(text));
}

// The text of a word; nullopt for "-" (or anything that is no such word).
inline std::optional<std::string> FromHexWord(std::string_view word) {
  if (!word.starts_with('x')) {
    return std::nullopt;
  }
  return FromHex(word.substr(1));
}

// Bytes as hex pairs, each followed by a blank ("d5 e6 "), so that a failed
// comparison of GBK texts shows which byte differs.
inline std::string Hex(std::string_view bytes) {
  std::string spaced;
  const std::string hex = ToHex(bytes);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    spaced.append(hex, i, 2);
    spaced += ' ';
  }
  return spaced;
}

}  // namespace zorvane::testing
