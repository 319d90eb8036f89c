#include "runtime/native_path.h"

#include <gtest/gtest.h>

#include "runtime/run_environment.h"

namespace zorvane {
namespace {

TEST(NativePath, TurnsBackslashesIntoSlashesAndGbkIntoUtf8) {
  // Linux spells "签到数据" in UTF-8, as Windows programs under Wine store it.
  EXPECT_EQ(NativePath("C:\\robot\\config\\签到数据1.ini"),
            "C:/robot/config/\xE7\xAD\xBE\xE5\x88\xB0\xE6\x95\xB0\xE6\x8D\xAE"
            "1.ini");
  EXPECT_EQ(NativePath("/run/dir/Zorva/\\1.ini"), "/run/dir/Zorva//1.ini");
  // 0x81 0x5C is one character (U+4E57); the backslash after it is a separator.
  EXPECT_EQ(NativePath("a\x81\x5C\\b"), "a\xE4\xB9\x97/b");
  EXPECT_EQ(NativePath(std::string_view("a\\b\0\\c", 6)), "a/b");
  // What is not GBK names no file.
  EXPECT_EQ(NativePath("a\\\x81"), "");
  EXPECT_EQ(NativePath("a\x81\x7F"), "");
}

TEST(NativePath, LeavesTheRunDirectoryAsTheFileSystemSpellsIt) {
  // "/srv/中" in UTF-8 ends in E4 B8 AD: read as GBK, AD would swallow the "\" after it.
  const Text saved = RunDirectory();
  SetRunDirectoryForTesting("/srv/\xE4\xB8\xAD");
  EXPECT_EQ(NativePath("/srv/\xE4\xB8\xAD\\config\\a.ini"), "/srv/\xE4\xB8\xAD/config/a.ini");
  EXPECT_EQ(NativePath("/srv/\xE4\xB8\xAD\\签"), "/srv/\xE4\xB8\xAD/\xE7\xAD\xBE");
  // Only a whole folder counts as the run directory: the rest is GBK.
  EXPECT_EQ(NativePath("/srv/\xE4\xB8\xADx\\a"), "/srv/\xE6\xB6\x93\xE7\x93\x81/a");
  SetRunDirectoryForTesting(saved);
}

}  // namespace
}  // namespace zorvane
