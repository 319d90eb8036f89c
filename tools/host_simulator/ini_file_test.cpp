#include "ini_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "scratch_folder.h"
#include "signin_ledger.h"

namespace host_simulator {
namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(IniFile, WritingCreatesTheFileInPrivateProfileLayout) {
  ScratchFolder folder;
  const std::string path = folder.path() + "/a.ini";
  EXPECT_EQ(ReadIniValue(path, "开始", "结尾"), std::nullopt);
  ASSERT_TRUE(WriteIniValue(path, "开始", "结尾", "/dmmy/19499.html"));
  EXPECT_EQ(ReadBytes(path), "[开始]\r\n结尾=/dmmy/19499.html\r\n");
  EXPECT_EQ(ReadIniValue(path, "开始", "结尾"), "/dmmy/19499.html");
  EXPECT_EQ(ReadIniValue(path, "开始", "答案"), std::nullopt);
  EXPECT_EQ(ReadIniValue(path, "其他", "结尾"), std::nullopt);
}

TEST(IniFile, WritingChangesOnlyItsKey) {
  ScratchFolder folder;
  const std::string path = folder.path() + "/b.ini";
  WriteBytes(path, "; comment\r\n[One]\r\nkey=1\r\nother = x\r\n\r\n[Two]\r\nkey=2\r\n");
  ASSERT_TRUE(WriteIniValue(path, "one", "KEY", "10"));  // names match in any case
  ASSERT_TRUE(WriteIniValue(path, "One", "new", "n"));
  ASSERT_TRUE(WriteIniValue(path, "Three", "key", "3"));
  EXPECT_EQ(ReadBytes(path),
            "; comment\r\n[One]\r\nKEY=10\r\nother = x\r\nnew=n\r\n\r\n[Two]\r\nkey=2\r\n"
            "[Three]\r\nkey=3\r\n");
  EXPECT_EQ(ReadIniValue(path, "Two", "key"), "2");
  EXPECT_EQ(ReadIniValue(path, "ONE", "Other"), "x");
}

TEST(IniFile, ValuesAreReadTrimmedAndUnquoted) {
  ScratchFolder folder;
  const std::string path = folder.path() + "/c.ini";
  WriteBytes(path,
             "[s]\nplain=  7.5  \nquoted=\"a b\"\nsingle='x'\nhalf=\"x\nempty=\n"
             "eq=a=b\r\n;k=comment\r\n[broken\r\nk=after a broken header\r\n");
  EXPECT_EQ(ReadIniValue(path, "s", "plain"), "7.5");
  EXPECT_EQ(ReadIniValue(path, "s", "quoted"), "a b");
  EXPECT_EQ(ReadIniValue(path, "s", "single"), "x");
  EXPECT_EQ(ReadIniValue(path, "s", "half"), "\"x");
  EXPECT_EQ(ReadIniValue(path, "s", "empty"), "");
  EXPECT_EQ(ReadIniValue(path, "s", "eq"), "a=b");
  EXPECT_EQ(ReadIniValue(path, "s", ";k"), std::nullopt);
  EXPECT_EQ(ReadIniValue(path, "s", "k"), "after a broken header");
}

TEST(IniFile, WritingIntoAMissingFolderFails) {
  ScratchFolder folder;
  EXPECT_FALSE(WriteIniValue(folder.path() + "/missing/d.ini", "s", "k", "v"));
}

TEST(SigninLedger, SeedsANewMemberAndKeepsAnExistingBalance) {
  ScratchFolder folder;
  const SigninLedger ledger(folder.path(), "555", "42");
  EXPECT_EQ(ledger.FilePath(), folder.path() + "/config/签到数据555.ini");
  EXPECT_EQ(ledger.BalanceText(), std::nullopt);
  EXPECT_EQ(ledger.Balance(), 0.0);

  ASSERT_TRUE(ledger.SeedIfMissing());  // also makes the config folder
  EXPECT_EQ(ReadIniValue(ledger.FilePath(), "42--555", "总共人民币"), StartingBalance);

  ASSERT_TRUE(ledger.SetBalance("17.5"));
  ASSERT_TRUE(ledger.SeedIfMissing());
  EXPECT_EQ(ledger.Balance(), 17.5);

  // Another member of the same group gets a balance of their own.
  const SigninLedger neighbour(folder.path(), "555", "43");
  ASSERT_TRUE(neighbour.SeedIfMissing());
  EXPECT_EQ(neighbour.BalanceText(), StartingBalance);
  EXPECT_EQ(ledger.BalanceText(), "17.5");
}

}  // namespace
}  // namespace host_simulator
