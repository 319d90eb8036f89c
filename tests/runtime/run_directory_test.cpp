#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "runtime/run_environment.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace zorvane {
namespace {

using testing::TempDir;

std::string Cut(const std::string& path) {
  return std::string(CutBeforeLastBackslash(path));
}

TEST(CutBeforeLastBackslash, KeepsTheFolderWithoutItsTrailingBackslash) {
  EXPECT_EQ(Cut("C:\\Robot\\host.exe"), "C:\\Robot");
  EXPECT_EQ(Cut("C:\\host.exe"), "C:");
  EXPECT_EQ(Cut("host.exe"), "");
  EXPECT_EQ(Cut(""), "");
  EXPECT_EQ(Cut("\\host.exe"), "");
}

TEST(CutBeforeLastBackslash, ASecondByteOf0x5CIsPartOfItsCharacter) {
  // 0x95 0x5C is one GBK character whose second byte looks like a backslash.
  EXPECT_EQ(Cut("C:\\Robot\\\x95\x5C\\host.exe"), "C:\\Robot\\\x95\x5C");
  EXPECT_EQ(Cut("C:\\Robot\\\x95\x5C"), "C:\\Robot");
  EXPECT_EQ(Cut("C:\\机器人\\host.exe"), "C:\\机器人");
  // A lead byte at the very end stands alone.
  EXPECT_EQ(Cut("C:\\Robot\\\x95"), "C:\\Robot");
}

TEST(CutBeforeLastBackslash, StopsAtTheFirstNul) {
  EXPECT_EQ(Cut(std::string("C:\\a\0\\b", 7)), "C:");
  // The NUL ends the text even right after a lead byte.
  EXPECT_EQ(Cut(std::string("C:\\a\x95\0\\b", 8)), "C:");
}

class RunDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override { oldCurrent_ = std::filesystem::current_path(); }
  void TearDown() override {
    std::filesystem::current_path(oldCurrent_);
    SetRunDirectoryForTesting("");
  }

 private:
  std::filesystem::path oldCurrent_;
};

TEST_F(RunDirectoryTest, RecordsAndEntersTheFolderOfTheExecutable) {
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe");
  std::filesystem::current_path("/");
  RecordRunDirectory();
  EXPECT_EQ(std::string(RunDirectory()), executable.parent_path().string());
  EXPECT_EQ(std::filesystem::current_path(), executable.parent_path());
}

TEST_F(RunDirectoryTest, EntersAFolderWhoseNameIsNotAscii) {
  // The check above, made by a copy of this program in a folder that Linux
  // names in UTF-8 (bytes that are no GBK text).
  TempDir dir;
  const std::filesystem::path folder = dir.path() / u8"宿主目录";
  std::filesystem::create_directory(folder);
  const std::string copy = (folder / "runtime_tests").string();
  std::filesystem::copy_file("/proc/self/exe", copy);
  const int status = testing::RunInChild([&] {
    ::execl(copy.c_str(), copy.c_str(), "--gtest_brief=1",
            "--gtest_filter=RunDirectoryTest.RecordsAndEntersTheFolderOfTheExecutable",
            static_cast<char*>(nullptr));
    return 127;
  });
  EXPECT_EQ(status, 0);
}

TEST_F(RunDirectoryTest, HandsOutCopiesOfTheRecordedFolder) {
  SetRunDirectoryForTesting("/srv/robot");
  Text copy = RunDirectory();
  copy += "/changed";
  EXPECT_EQ(std::string(RunDirectory()), "/srv/robot");
}

TEST(FileExists, TrueForFilesAndFoldersOnly) {
  TempDir dir;
  testing::WriteFileBytes(dir.path() / "file.ini", "x");
  EXPECT_TRUE(FileExists(dir.str()));
  EXPECT_TRUE(FileExists(dir.str() + "/file.ini"));
  EXPECT_FALSE(FileExists(dir.str() + "/missing.ini"));
  EXPECT_FALSE(FileExists(dir.str() + "/missing/file.ini"));
  EXPECT_FALSE(FileExists(""));
}

TEST(FileExists, TakesBackslashesAsSeparators) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "config");
  testing::WriteFileBytes(dir.path() / "config" / "a.ini", "x");
  EXPECT_TRUE(FileExists(dir.str() + "\\config\\a.ini"));
  EXPECT_TRUE(FileExists(dir.str() + "\\config/a.ini"));
  EXPECT_FALSE(FileExists(dir.str() + "\\config\\b.ini"));
}

TEST(CreateDir, MakesOneFolderAtATime) {
  TempDir dir;
  EXPECT_TRUE(CreateDir(dir.str() + "/Zorva"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Zorva"));
  // It exists now: refused, and what is inside stays.
  testing::WriteFileBytes(dir.path() / "Zorva" / "g.ini", "x");
  EXPECT_FALSE(CreateDir(dir.str() + "/Zorva"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "Zorva" / "g.ini"));
  // Two levels below an existing folder: nothing is made.
  EXPECT_FALSE(CreateDir(dir.str() + "/a/b"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "a"));
  EXPECT_FALSE(CreateDir(""));
}

TEST(CreateDir, BackslashesSeparateButNotInsideAGbkCharacter) {
  TempDir dir;
  EXPECT_TRUE(CreateDir(dir.str() + "\\config"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "config"));
  // The folder is named by the one character 0x95 0x5C, spelled in UTF-8.
  EXPECT_TRUE(CreateDir(dir.str() + "\\config\\\x95\x5C"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "config" / "\xE6\x98\x9E"));
  EXPECT_TRUE(FileExists(dir.str() + "\\config\\\x95\x5C"));
}

}  // namespace
}  // namespace zorvane
