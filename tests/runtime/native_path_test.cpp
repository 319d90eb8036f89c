#include "runtime/native_path.h"

#include <gtest/gtest.h>

#include "runtime/run_environment.h"

namespace zorvane {
namespace {

TEST(NativePath, TurnsBackslashesIntoSlashesOutsideTwoByteCharacters) {
  EXPECT_EQ(NativePath("C:\\robot\\config\\签到数据1.ini"), "C:/robot/config/签到数据1.ini");
  EXPECT_EQ(NativePath("/run/dir/Zorva/\\1.ini"), "/run/dir/Zorva//1.ini");
  // 0x81 0x5C is one character; the backslash after it is a separator.
  EXPECT_EQ(NativePath("a\x81\x5C\\b"), "a\x81\x5C/b");
  // A lone lead byte at the end takes nothing with it.
  EXPECT_EQ(NativePath("a\\\x81"), "a/\x81");
  EXPECT_EQ(NativePath(std::string_view("a\\b\0\\c", 6)), "a/b");
}

TEST(NativePath, LeavesTheRunDirectoryAsTheFileSystemSpellsIt) {
  // "/srv/中" in UTF-8 ends in E4 B8 AD: read as GBK, AD would swallow the "\" after it.
  const Text saved = RunDirectory();
  SetRunDirectoryForTesting("/srv/\xE4\xB8\xAD");
  EXPECT_EQ(NativePath("/srv/\xE4\xB8\xAD\\config\\a.ini"), "/srv/\xE4\xB8\xAD/config/a.ini");
  // Only a whole folder counts as the run directory.
  EXPECT_EQ(NativePath("/srv/\xE4\xB8\xADx\\a"), "/srv/\xE4\xB8\xADx/a");
  SetRunDirectoryForTesting(saved);
}

}  // namespace
}  // namespace zorvane
