// Working out in memory what a read gives back after a write must agree with
// a write and a read of a real file, for every kind of value that a settings
// file treats specially.
#include "runtime/settings/setting_after_write.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/settings/settings.h"
#include "support/hex.h"
#include "support/temp_dir.h"

namespace zorvane {
namespace {

using namespace std::string_literals;

TEST(SettingAfterWrite, AgreesWithAWriteAndAReadOfAFile) {
  const testing::TempDir dir;
  const std::string longValue(SettingBufferSize + 5, 'x');
  const std::string longWithCharacterAtTheCut = std::string(SettingBufferSize - 2, 'x') + "谜底";
  const struct {
    const char* what;
    std::string value;
  } cases[] = {
      {"plain", "谜底"},
      {"empty", ""},
      {"blanks around", "  谜 底\t"},
      {"double quotes around", "\"谜底\""},
      {"single quotes around", "'谜底'"},
      {"one quote", "\"谜底"},
      {"an equals sign and brackets", "a=b [c]"},
      {"a semicolon first", ";谜底"},
      {"a first byte alone at the end", "谜\xB5"},
      {"a NUL inside", "谜\0底"s},
      {"longer than a read receives", longValue},
      {"a character across the read's end", longWithCharacterAtTheCut},
  };
  int file = 0;
  for (const auto& c : cases) {
    const std::string path = dir.str() + "/" + std::to_string(++file) + ".ini";
    ASSERT_TRUE(WriteSetting(path, "开始", "答案", c.value)) << c.what;
    const std::optional<Text> inMemory = SettingAfterWrite("开始", "答案", c.value);
    ASSERT_TRUE(inMemory) << c.what;
    EXPECT_EQ(testing::Hex(std::string(*inMemory)),
              testing::Hex(std::string(ReadSetting(path, "开始", "答案"))))
        << c.what;
  }
  // What a write refuses is refused here too.
  for (const std::string& refused : {"a\nb"s, "a\rb"s}) {
    EXPECT_FALSE(WriteSetting(dir.str() + "/refused.ini", "开始", "答案", refused));
    EXPECT_EQ(SettingAfterWrite("开始", "答案", refused), std::nullopt);
  }
}

}  // namespace
}  // namespace zorvane
