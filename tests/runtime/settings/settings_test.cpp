#include "runtime/settings/settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "runtime/convert.h"
#include "runtime/gbk_utf8.h"
#include "runtime/settings/setting_sections.h"
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
  // Like the Windows API, the default comes back without trailing spaces.
  EXPECT_EQ(Read(file, "开始", "答案", " d  "), " d");
  EXPECT_EQ(Read(file, "开始", "答案", " d \t "), " d \t");
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
  // The file system holds the name in UTF-8.
  EXPECT_EQ(ReadFileBytes(dir.path() / "config" / GbkToUtf8Lenient("签到数据456.ini")),
            "[123--456]\r\n总共人民币=30\r\n");
  EXPECT_EQ(Read(dir.str() + "/config/签到数据456.ini", "123--456", "总共人民币"), "30");

  // 0x81 0x5C is one character: its second byte is not a separator.
  const std::string folder =
      "a\x81\x5C"
      "b";
  fs::create_directory(dir.path() / GbkToUtf8Lenient(folder));
  ASSERT_TRUE(WriteSetting(dir.str() + "\\" + folder + "\\s.ini", "s", "k", "v"));
  EXPECT_TRUE(fs::exists(dir.path() / GbkToUtf8Lenient(folder) / "s.ini"));
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

// Another writer (the sign-in module) changes the file between the read
// that a change starts from and its write; the change starts again from the
// other writer's version, so that both land.
TEST(Settings, ChangeStartsFromTheVersionItWrites) {
  struct Case {
    const char* name;
    const char* otherSection;  // what the other writer sets, once, mid-change
    const char* otherValue;
    const char* expectedBalance;
    const char* expectedOther;
  };
  const Case cases[] = {
      {"the same member signs in", "7--1", "130", "125", "125"},
      {"another member signs in", "8--1", "40", "95", "40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = dir.str() + "/ledger.ini";
    WriteFileBytes(file, "[7--1]\r\n总共人民币=100\r\n[8--1]\r\n总共人民币=30\r\n");
    int calls = 0;
    EXPECT_TRUE(ChangeSharedSetting(file, "7--1", "总共人民币", [&](const Text& stored) {
      if (calls++ == 0) {
        EXPECT_TRUE(WriteSetting(file, c.otherSection, "总共人民币", c.otherValue));
      }
      return std::optional<Text>(ToText(ToNumber(stored) - 5));
    }));
    EXPECT_EQ(Read(file, "7--1", "总共人民币"), c.expectedBalance);
    EXPECT_EQ(Read(file, c.otherSection, "总共人民币"), c.expectedOther);
  }
}

TEST(SettingsFiles, CrOnlyFilesReadAndKeepTheirLineEnds) {
  TempDir dir;
  const std::string file = dir.str() + "/cr.ini";
  WriteFileBytes(file, "[s]\rk=1\rj=2\r");
  EXPECT_EQ(std::string(ReadSetting(file, "s", "k")), "1");
  EXPECT_EQ(std::string(ReadSetting(file, "s", "j")), "2");
  ASSERT_TRUE(WriteSetting(file, "s", "k", "3"));
  EXPECT_EQ(ReadFileBytes(file), "[s]\rk=3\rj=2\r");
}

TEST(SettingsFiles, ByteOrderMarksKeepTheirEncoding) {
  TempDir dir;
  const std::string utf8 = dir.str() + "/utf8.ini";
  // "[s]" then 总=中 in UTF-8.
  WriteFileBytes(utf8, "\xEF\xBB\xBF[s]\r\nk=1\r\n\xE6\x80\xBB=\xE4\xB8\xAD\r\n");
  EXPECT_EQ(std::string(ReadSetting(utf8, "s", "k")), "1");
  EXPECT_EQ(std::string(ReadSetting(utf8, "s", "总")), "中");
  ASSERT_TRUE(WriteSetting(utf8, "s", "k", "文"));
  EXPECT_EQ(ReadFileBytes(utf8),
            "\xEF\xBB\xBF[s]\r\nk=\xE6\x96\x87\r\n\xE6\x80\xBB=\xE4\xB8\xAD\r\n");
  EXPECT_EQ(std::string(ReadSetting(utf8, "s", "k")), "文");

  const std::string utf16 = dir.str() + "/utf16.ini";
  const std::string original("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x2D\x4E\r\0\n\0", 22);  // k=中
  WriteFileBytes(utf16, original);
  EXPECT_EQ(std::string(ReadSetting(utf16, "s", "k")), "中");
  ASSERT_TRUE(WriteSetting(utf16, "s", "n", "x"));
  EXPECT_EQ(ReadFileBytes(utf16), original + std::string("n\0=\0x\0\r\0\n\0", 10));
  const std::string bigEndian("\xFE\xFF\0[\0s\0]\0\r\0\n\0k\0=\x4E\x2D\0\r\0\n", 22);
  WriteFileBytes(utf16, bigEndian);
  EXPECT_EQ(std::string(ReadSetting(utf16, "s", "k")), "中");
  ASSERT_TRUE(WriteSetting(utf16, "s", "n", "x"));
  EXPECT_EQ(ReadFileBytes(utf16), bigEndian + std::string("\0n\0=\0x\0\r\0\n", 10));
  // A character that GBK lacks reads as "?", as Windows converts it.
  WriteFileBytes(utf8, "\xEF\xBB\xBF[s]\nk=\xF0\x9F\x98\x80!\n");
  EXPECT_EQ(std::string(ReadSetting(utf8, "s", "k")), "?!");
}

TEST(SettingsFiles, SectionNamesAreListedAsReadsAddressThem) {
  TempDir dir;
  const std::string file = dir.str() + "/sections.ini";
  // CR line ends, a repeat in another letter case, a "[" line without "]".
  WriteFileBytes(file, "[a--1]\rk=1\r[B--1]\r[A--1]\r[not a header\r  [组]  \r");
  EXPECT_EQ(ReadSectionNames(file), (std::vector<Text>{"a--1", "B--1", "组"}));
  // A UTF-8 file gives its names in GBK, like every read of it.
  WriteFileBytes(file, "\xEF\xBB\xBF[\xE7\xBB\x84]\r\nk=1\r\n");
  EXPECT_EQ(ReadSectionNames(file), (std::vector<Text>{"组"}));
  EXPECT_TRUE(ReadSectionNames(dir.str() + "/missing.ini").empty());
}

TEST(SettingsFiles, WritesThroughSymbolicLinks) {
  TempDir dir;
  fs::create_directory(dir.path() / "real");
  const fs::path target = dir.path() / "real" / "s.ini";
  WriteFileBytes(target, "[s]\r\nk=1\r\n");
  const fs::path link = dir.path() / "link.ini";
  fs::create_symlink(target, link);
  ASSERT_TRUE(WriteSetting(link.string(), "s", "k", "2"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(target), "[s]\r\nk=2\r\n");
  EXPECT_EQ(std::string(ReadSetting(link.string(), "s", "k")), "2");
}

TEST(SettingsFiles, ALinkToAFileNotYetMadeIsWrittenThrough) {
  TempDir dir;
  fs::create_directory(dir.path() / "real");
  // Two links, the second relative to its own folder, then no file yet.
  fs::create_symlink("real/second.ini", dir.path() / "link.ini");
  fs::create_symlink("s.ini", dir.path() / "real" / "second.ini");
  ASSERT_TRUE(WriteSetting(dir.str() + "/link.ini", "s", "k", "1"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "real" / "second.ini"));
  EXPECT_EQ(ReadFileBytes(dir.path() / "real" / "s.ini"), "[s]\r\nk=1\r\n");
}

TEST(SettingsFiles, PipesAndHugeFilesAreRefusedWithoutBlocking) {
  TempDir dir;
  const std::string fifo = dir.str() + "/fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // With nobody writing, a blocking open would never return.
  EXPECT_EQ(std::string(ReadSetting(fifo, "s", "k", "d")), "d");
  EXPECT_FALSE(WriteSetting(fifo, "s", "k", "1"));

  const fs::path huge = dir.path() / "huge.ini";
  WriteFileBytes(huge, "[s]\r\nk=1\r\n");
  fs::resize_file(huge, (std::uintmax_t{1} << 28) + 1);  // sparse: costs no disk
  EXPECT_EQ(std::string(ReadSetting(huge.string(), "s", "k", "d")), "d");
  EXPECT_FALSE(WriteSetting(huge.string(), "s", "k", "2"));
  EXPECT_EQ(fs::file_size(huge), (std::uintmax_t{1} << 28) + 1);
}

TEST(SettingsFiles, BrokenGbkNamesAreRefusedAndALoneLastByteDropped) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  WriteFileBytes(file, "[s]\r\nk=1\r\n");
  EXPECT_FALSE(WriteSetting(file, "ab\xB0", "k", "1"));
  EXPECT_FALSE(WriteSetting(file, "s", "k\xB0", "1"));
  EXPECT_FALSE(WriteSetting(file, "s",
                            "k\xB0\x0A"
                            "b",
                            "1"));
  EXPECT_FALSE(WriteSetting(file, "\xB0 s", "k", "1"));  // 0x20 is no second byte
  EXPECT_EQ(ReadFileBytes(file), "[s]\r\nk=1\r\n");
  ASSERT_TRUE(WriteSetting(file, "s", "k", "ab\xB0"));
  EXPECT_EQ(ReadFileBytes(file), "[s]\r\nk=ab\r\n");
  ASSERT_TRUE(WriteSetting(file, "s", "k", "中\xB0\xA1"));
  EXPECT_EQ(std::string(ReadSetting(file, "s", "k")), "中\xB0\xA1");
  // Nor does such a byte come back from a file that holds one.
  WriteFileBytes(file, "[s]\r\nk=ab\xB0\r\n");
  EXPECT_EQ(std::string(ReadSetting(file, "s", "k")), "ab");
}

TEST(SettingsFiles, LongValuesAreNeverCutInsideACharacter) {
  TempDir dir;
  const std::string file = dir.str() + "/s.ini";
  const std::string ascii(10238, 'x');
  WriteFileBytes(file, "[s]\nodd=" + ascii + "中z\neven=x" + ascii + "中\n");
  EXPECT_EQ(std::string(ReadSetting(file, "s", "odd")), ascii);
  EXPECT_EQ(std::string(ReadSetting(file, "s", "even")), "x" + ascii);
  EXPECT_EQ(std::string(ReadSetting(file, "s", "none", ascii + "中")), ascii);
}

TEST(SettingsFiles, FailuresAreReportedAsWindowsReportsThem) {
  TempDir dir;
  // Deleting from a file in a folder that does not exist fails.
  EXPECT_FALSE(WriteSetting(dir.str() + "/none/s.ini", "s", "k", std::nullopt));
  EXPECT_FALSE(WriteSetting(dir.str() + "/none/s.ini", "s", std::nullopt, std::nullopt));
  // A file without any write permission is read-only, also to root.
  const fs::path file = dir.path() / "ro.ini";
  WriteFileBytes(file, "[s]\r\nk=1\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(WriteSetting(file.string(), "s", "k", "2"));
  EXPECT_EQ(ReadFileBytes(file), "[s]\r\nk=1\r\n");
  // Writing the value it already holds touches nothing, read-only or not.
  EXPECT_TRUE(WriteSetting(file.string(), "s", "k", " 1 "));
}

}  // namespace
}  // namespace zorvane
