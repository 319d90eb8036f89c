#include "runtime/settings/settings_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "support/hex.h"

namespace zorvane {
namespace {

using testing::Hex;

TEST(SettingsEncoding, Utf16FilesSurviveTheRoundTripByteForByte) {
  // "中", a pair of surrogates (U+1F600), a lone high and a lone low surrogate.
  const std::string utf16("\x2D\x4E\x3D\xD8\x00\xDE\x00\xD8\x41\x00\x00\xDC", 12);
  const std::string utf8 = Utf8FromUtf16(utf16, ByteOrder::LittleEndian);
  EXPECT_EQ(Hex(utf8), "e4 b8 ad f0 9f 98 80 ed a0 80 41 ed b0 80 ");
  EXPECT_EQ(Hex(Utf16FromUtf8(utf8, ByteOrder::LittleEndian)), Hex(utf16));
  std::string bigEndian = utf16;
  for (std::size_t i = 0; i + 1 < bigEndian.size(); i += 2) {
    std::swap(bigEndian[i], bigEndian[i + 1]);
  }
  EXPECT_EQ(Hex(Utf8FromUtf16(bigEndian, ByteOrder::BigEndian)), Hex(utf8));
  EXPECT_EQ(Hex(Utf16FromUtf8(utf8, ByteOrder::BigEndian)), Hex(bigEndian));
  // An odd last byte is no character.
  EXPECT_EQ(Utf8FromUtf16(std::string("\x41\x00\x42", 3), ByteOrder::LittleEndian), "A");
}

}  // namespace
}  // namespace zorvane
