// Names that end in the first byte of a double-byte character: written as
// they are, that byte would swallow the "]" or "=" after the name and the
// key could not be found again, so such writes are refused.
#include <gtest/gtest.h>

#include <string>

#include "runtime/settings/settings.h"
#include "support/temp_dir.h"

namespace zorvane {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(SettingsLeadByte, RefusesNamesEndingInALoneLeadByte) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  const std::string original = "[s]\r\nk=1\r\n";
  WriteFileBytes(file, original);
  EXPECT_FALSE(WriteSetting(file, "s\xB0", "k", "2"));
  EXPECT_FALSE(WriteSetting(file, "s", "k\xB0", "2"));
  // Written names lose their surrounding blanks first.
  EXPECT_FALSE(WriteSetting(file, "s\xB0 \v", "k", "2"));
  EXPECT_FALSE(WriteSetting(file, "s", "k\xFE\t", "2"));
  EXPECT_FALSE(WriteSetting(file, "\xB0\xA1\xB0", std::nullopt, std::nullopt));
  EXPECT_EQ(ReadFileBytes(file), original);
}

TEST(SettingsLeadByte, WholeCharactersRoundTripAndALoneLastByteOfAValueIsDropped) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  // "啊" twice: the second byte of the first pair is itself a lead byte value.
  // As on Windows, a value's lone last lead byte does not reach the file.
  ASSERT_TRUE(WriteSetting(file, "s\xB0\xA1", "k\xB0\xA1\xB0\xA1", "v\xB0"));
  ASSERT_TRUE(WriteSetting(file, "s\xB0\xA1", "next", "2"));
  EXPECT_EQ(std::string(ReadSetting(file, "s\xB0\xA1", "k\xB0\xA1\xB0\xA1")), "v");
  EXPECT_EQ(std::string(ReadSetting(file, "s\xB0\xA1", "next")), "2");
}

TEST(SettingsLeadByte, TheBytes0x80And0xFFAreCharactersOfTheirOwn) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  WriteFileBytes(file, "[s]\r\nstored=\x80\r\n");
  EXPECT_EQ(std::string(ReadSetting(file, "s", "stored")), "\x80");
  for (const std::string value : {"\x80", "a\xFF", "\x80\x80", "\xB0\xA1\x80"}) {
    ASSERT_TRUE(WriteSetting(file, "s", "k", value)) << value;
    EXPECT_EQ(std::string(ReadSetting(file, "s", "k")), value);
  }
  EXPECT_EQ(ReadFileBytes(file), "[s]\r\nstored=\x80\r\nk=\xB0\xA1\x80\r\n");
}

}  // namespace
}  // namespace zorvane
