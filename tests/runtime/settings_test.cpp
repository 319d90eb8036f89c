#include "runtime/settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "support/temp_dir.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

std::string Read(const std::string& file, TextView section, TextView key,
                 TextView defaultText = {}) {
  return std::string(ReadSetting(file, section, key, defaultText));
}

// The files in a folder, so that tests can see that no stray file was left.
int CountEntries(const fs::path& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
    ++n;
  }
  return n;
}

// Runs write in a child process as an unprivileged user (when the tests run
// as root, which permission bits would not stop) and returns its result.
bool WriteInChild(const std::function<bool()>& write, bool dropPrivileges) {
  const pid_t child = fork();
  if (child == 0) {
    if (dropPrivileges && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
      _exit(2);
    }
    _exit(write() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(Settings, ReadsValueOrDefault) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  WriteFileBytes(file, "[开始]\r\n结尾=80\r\n空=\r\n");
  EXPECT_EQ(Read(file, "开始", "结尾"), "80");
  EXPECT_EQ(Read(file, "开始", "答案"), "");
  EXPECT_EQ(Read(file, "开始", "答案", "0"), "0");
  EXPECT_EQ(Read(file, "开始", "答案", ""), "");
  // An existing empty key is a value, not a miss.
  EXPECT_EQ(Read(file, "开始", "空", "0"), "");
  EXPECT_EQ(Read(file, "无", "结尾", "0"), "0");
  EXPECT_EQ(Read(dir.str() + "/missing.ini", "开始", "结尾", "0"), "0");
  // Like the Windows API, the default comes back without trailing blanks.
  EXPECT_EQ(Read(file, "开始", "答案", " d \t "), " d");
}

TEST(Settings, SkipsLeadingControlBytesOfNamesOnRead) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  WriteFileBytes(file, "[sec]\nkey=v\n");
  EXPECT_EQ(Read("  \t" + file, "\x01 sec", "\n key"), "v");
  EXPECT_EQ(Read(file, "sec ", "key\t"), "v");
  // Names that are empty after skipping give the empty text, not the default.
  EXPECT_EQ(Read(file, " \t", "key", "d"), "");
  EXPECT_EQ(Read(file, "sec", "", "d"), "");
  EXPECT_EQ(Read(" ", "sec", "key", "d"), "");
  // The default is not touched.
  EXPECT_EQ(Read(file, "sec", "none", "\x01x"), "\x01x");
}

TEST(Settings, CutsLongValuesToTheBufferSize) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  const std::string longValue(SettingBufferSize + 100, 'x');
  WriteFileBytes(file, "[s]\nk=\"" + longValue + "\"\nexact=" + longValue.substr(0, 10239) + "\n");
  EXPECT_EQ(Read(file, "s", "k"), longValue.substr(0, 10239));
  EXPECT_EQ(Read(file, "s", "exact"), longValue.substr(0, 10239));
  EXPECT_EQ(Read(file, "s", "none", longValue), longValue.substr(0, 10239));
  ASSERT_TRUE(WriteSetting(file, "s", "w", longValue));
  EXPECT_EQ(Read(file, "s", "w").size(), 10239u);
}

TEST(Settings, WritesCreateReplaceAndDelete) {
  TempDir dir;
  const std::string file = dir.str() + "/new.ini";
  ASSERT_TRUE(WriteSetting(file, "开始", "结尾", "/a.html"));
  EXPECT_EQ(ReadFileBytes(file), "[开始]\r\n结尾=/a.html\r\n");
  ASSERT_TRUE(WriteSetting(file, "开始", "答案", ""));
  EXPECT_EQ(ReadFileBytes(file), "[开始]\r\n结尾=/a.html\r\n答案=\r\n");
  EXPECT_EQ(Read(file, "开始", "答案", "d"), "");
  ASSERT_TRUE(WriteSetting(file, "开始", "结尾", std::nullopt));
  EXPECT_EQ(ReadFileBytes(file), "[开始]\r\n答案=\r\n");
  ASSERT_TRUE(WriteSetting(file, "other", "k", "1"));
  ASSERT_TRUE(WriteSetting(file, "开始", std::nullopt, std::nullopt));
  EXPECT_EQ(ReadFileBytes(file), "[other]\r\nk=1\r\n");
  EXPECT_EQ(Read(file, "开始", "答案", "gone"), "gone");
  // Deleting what is not there succeeds and creates no file.
  EXPECT_TRUE(WriteSetting(dir.str() + "/absent.ini", "s", "k", std::nullopt));
  EXPECT_TRUE(WriteSetting(dir.str() + "/absent.ini", "s", std::nullopt, std::nullopt));
  EXPECT_FALSE(fs::exists(dir.path() / "absent.ini"));
  EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(Settings, KeepsWindowsFilesReadableAndTheirLineBreaks) {
  TempDir dir;
  const std::string file = dir.str() + "/win.ini";
  WriteFileBytes(file, "[123--456]\r\n总共人民币=80\r\n[789--456]\r\n总共人民币=5");
  EXPECT_EQ(Read(file, "789--456", "总共人民币"), "5");
  ASSERT_TRUE(WriteSetting(file, "789--456", "x", "1"));
  ASSERT_TRUE(WriteSetting(file, "123--456", "总共人民币", "100.5"));
  EXPECT_EQ(ReadFileBytes(file),
            "[123--456]\r\n总共人民币=100.5\r\n[789--456]\r\n总共人民币=5\r\nx=1\r\n");

  const std::string lfFile = dir.str() + "/lf.ini";
  WriteFileBytes(lfFile, "[a]\nk=1");
  ASSERT_TRUE(WriteSetting(lfFile, "b", "k", "2"));
  EXPECT_EQ(ReadFileBytes(lfFile), "[a]\nk=1\n[b]\nk=2\n");
}

TEST(Settings, SeparatesFoldersWithBothSlashesWalkingGbkCharacters) {
  TempDir dir;
  fs::create_directory(dir.path() / "config");
  const std::string windowsStyle = dir.str() + "\\config\\签到数据" + "456" + ".ini";
  ASSERT_TRUE(WriteSetting(windowsStyle, "123--456", "总共人民币", "30"));
  EXPECT_EQ(ReadFileBytes(dir.path() / "config" / "签到数据456.ini"),
            "[123--456]\r\n总共人民币=30\r\n");
  EXPECT_EQ(Read(dir.str() + "/config/签到数据456.ini", "123--456", "总共人民币"), "30");

  // 0x81 0x5C is one character: its second byte is not a separator.
  const std::string folder =
      "a\x81\x5C"
      "b";
  fs::create_directory(dir.path() / folder);
  ASSERT_TRUE(WriteSetting(dir.str() + "\\" + folder + "\\s.ini", "s", "k", "v"));
  EXPECT_TRUE(fs::exists(dir.path() / folder / "s.ini"));
  EXPECT_EQ(Read(dir.str() + "\\" + folder + "\\s.ini", "s", "k"), "v");
}

TEST(Settings, WriteIntoMissingFolderFailsAndCreatesNothing) {
  TempDir dir;
  EXPECT_FALSE(WriteSetting(dir.str() + "/Zorva/1.ini", "开始", "结尾", "x"));
  EXPECT_FALSE(WriteSetting(dir.str() + "\\Zorva\\1.ini", "开始", "结尾", "x"));
  EXPECT_EQ(CountEntries(dir.path()), 0);
  EXPECT_FALSE(WriteSetting(dir.str(), "s", "k", "v"));  // a folder is no settings file
}

TEST(Settings, RefusesNamesAndValuesThatWouldAddLines) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  const std::string original = "[s]\r\nk=1\r\n";
  WriteFileBytes(file, original);
  EXPECT_FALSE(WriteSetting(file, "s", "k", "1\r\n[evil]\r\nk=2"));
  EXPECT_FALSE(WriteSetting(file, "s", "k", "1\n"));
  EXPECT_FALSE(WriteSetting(file, "s", "k", "\r"));
  EXPECT_FALSE(WriteSetting(file, "s]x", "k", "1"));
  EXPECT_FALSE(WriteSetting(file, "s\nx", "k", "1"));
  EXPECT_FALSE(WriteSetting(file, "s\r", std::nullopt, std::nullopt));
  EXPECT_FALSE(WriteSetting(file, "s", "k=x", "1"));
  EXPECT_FALSE(WriteSetting(file, "s", "k\nx", std::nullopt));
  EXPECT_FALSE(WriteSetting(file, "s", "[t]", "1"));
  EXPECT_FALSE(WriteSetting(file, "s", ";k", "1"));
  EXPECT_FALSE(WriteSetting(file, "", "k", "1"));
  EXPECT_FALSE(WriteSetting(file, " ", "k", "1"));
  EXPECT_FALSE(WriteSetting(file, "s", "", "1"));
  EXPECT_EQ(ReadFileBytes(file), original);
  // A "]" that is the second byte of a character is no bracket.
  EXPECT_TRUE(WriteSetting(file, "\x81]", "k", "2"));
  EXPECT_EQ(Read(file, "\x81]", "k"), "2");
}

TEST(Settings, RewriteKeepsTheFilesMode) {
  TempDir dir;
  const fs::path file = dir.path() / "s.ini";
  WriteFileBytes(file, "[s]\r\nk=1\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteSetting(file.string(), "s", "k", "2"));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(ReadFileBytes(file), "[s]\r\nk=2\r\n");
}

TEST(Settings, FailedWriteLeavesTheFileAsItWas) {
  TempDir dir;
  fs::permissions(dir.path(), fs::perms::all);
  const fs::path folder = dir.path() / "ro";
  fs::create_directory(folder);
  const fs::path file = folder / "s.ini";
  const std::string original = "[s]\r\nk=1\r\n";
  WriteFileBytes(file, original);
  fs::permissions(file, fs::perms::all);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  EXPECT_FALSE(WriteInChild([&] { return WriteSetting(file.string(), "s", "k", "2"); }, true));
  EXPECT_EQ(ReadFileBytes(file), original);

  // A read-only file refuses writes even in a writable folder.
  fs::permissions(folder, fs::perms::all);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(WriteInChild([&] { return WriteSetting(file.string(), "s", "k", "2"); }, true));
  EXPECT_EQ(ReadFileBytes(file), original);

  // A write that breaks off half-way (here at a file size limit) leaves the
  // old file whole and no partial file beside it.
  fs::permissions(file, fs::perms::all);
  const std::string big(100000, 'x');
  EXPECT_FALSE(WriteInChild(
      [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0 && WriteSetting(file.string(), "s", "k", big);
      },
      false));
  EXPECT_EQ(ReadFileBytes(file), original);
  EXPECT_EQ(CountEntries(folder), 1);
}

}  // namespace
}  // namespace zorvane
