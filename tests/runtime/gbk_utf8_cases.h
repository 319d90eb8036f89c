// What the converter gives, the same on every platform: the cases that the
// tests check through the POSIX converter here and through the Windows one
// under Wine (tests/wine/conversion_check.cpp). Bytes are written as escapes,
// so that the cases mean the same whatever a source's literals become.
#pragma once

#include <optional>
#include <string_view>

namespace zorvane::testing {

struct ConversionCase {
  const char* what;
  std::string_view from;
  std::optional<std::string_view> strict;  // nullopt: refused
  std::string_view lenient;
};

using namespace std::string_view_literals;

// 开始 in GBK and in UTF-8.
inline constexpr std::string_view StartWordGbk = "\xBF\xAA\xCA\xBC";
inline constexpr std::string_view StartWordUtf8 = "\xE5\xBC\x80\xE5\xA7\x8B";

inline constexpr ConversionCase GbkToUtf8Cases[] = {
    {"ASCII and line breaks", "a\r\nb", "a\r\nb", "a\r\nb"},
    {"nothing", "", "", ""},
    {"double-byte characters", "\xBF\xAA\xCA\xBC", "\xE5\xBC\x80\xE5\xA7\x8B",
     "\xE5\xBC\x80\xE5\xA7\x8B"},
    {"a NUL byte", "a\0b"sv, "a\0b"sv, "a\0b"sv},
    {"a byte that starts no character",
     "a\xFF"
     "b",
     std::nullopt, "a?b"},
    {"a first byte cut off at the end", "ab\xBF", std::nullopt, "ab?"},
    {"a first byte before a byte that ends none",
     "a\x81\x7F"
     "b",
     std::nullopt,
     "a?\x7F"
     "b"},
    {"a bad byte before characters", "\xFF\xBF\xAA\xCA\xBC", std::nullopt,
     "?\xE5\xBC\x80\xE5\xA7\x8B"},
};

inline constexpr ConversionCase Utf8ToGbkCases[] = {
    {"ASCII and line breaks", "a\r\nb", "a\r\nb", "a\r\nb"},
    {"nothing", "", "", ""},
    {"characters that GBK has", "\xE5\xBC\x80\xE5\xA7\x8B\xEF\xBC\x9A", "\xBF\xAA\xCA\xBC\xA3\xBA",
     "\xBF\xAA\xCA\xBC\xA3\xBA"},
    {"an emoji, which GBK lacks", "x\xF0\x9F\x98\x80y", std::nullopt, "x?y"},
    {"a Thai letter, which GBK lacks", "\xE0\xB8\x81\xE5\xBC\x80", std::nullopt, "?\xBF\xAA"},
    {"a stray byte", "x\xE4\xB8\xAD\xFF", std::nullopt, "x\xD6\xD0?"},
    {"a character cut off at the end", "a\xE5\xBC", std::nullopt, "a?"},
    {"an overlong form",
     "\xC0\xAF"
     "b",
     std::nullopt, "?b"},
    {"a lone surrogate",
     "\xED\xA0\x80"
     "b",
     std::nullopt, "?b"},
};

// Strict only: GB18030 is read, never written or shown leniently.
inline constexpr ConversionCase Gb18030ToUtf8Cases[] = {
    {"GBK's double-byte characters", "\xBF\xAA\xCA\xBC", "\xE5\xBC\x80\xE5\xA7\x8B", ""},
    {"a four-byte emoji, which GBK lacks", "x\x94\x39\xFC\x36y", "x\xF0\x9F\x98\x80y", ""},
    {"GB18030's euro sign", "\xA2\xE3", "\xE2\x82\xAC", ""},
    {"GBK's one-byte euro sign, no GB18030", "\x80", std::nullopt, ""},
    {"a four-byte sequence cut off", "\x94\x39\xFC", std::nullopt, ""},
    {"a byte that starts no character", "a\xFF", std::nullopt, ""},
};

}  // namespace zorvane::testing
