// Literals in this file are UTF-8; the module's files are written in GBK.
#include "host_folder/group_standings.h"

#include <gtest/gtest.h>

#include "runtime/gbk_utf8.h"
#include "runtime/settings/settings_encoding.h"
#include "support/temp_dir.h"

namespace riddle_site {
namespace {

using zorvane::testing::WriteFileBytes;

std::string Gbk(const std::string& utf8) {
  return *zorvane::Utf8ToGbk(utf8);
}

// The host's files as the module and the sign-in module leave them, in the
// encodings and line ends that the settings layer reads.
TEST(GroupStandings, GroupsAndBalancesReadAsTheModuleReadsThem) {
  zorvane::testing::TempDir host;
  std::filesystem::create_directories(host.path() / "Zorva");
  std::filesystem::create_directories(host.path() / "config");
  WriteFileBytes(host.path() / "Zorva" / "1001.ini",
                 Gbk("[开始]\r\n结尾=/dmmy/19500.html\r\n答案=花生\r\n"));
  WriteFileBytes(host.path() / "Zorva" / "1002.ini",
                 Gbk("[开始]\r\n结尾=/dmmy/19499.html\r\n答案=\r\n"));
  WriteFileBytes(host.path() / "Zorva" / "notes.txt", "not a group");
  // CR-only lines; a section of another group; a member without a balance.
  WriteFileBytes(
      host.path() / "config" / "签到数据1001.ini",
      Gbk("[11--1001]\r总共人民币=30\r[22--1001]\r总共人民币=130.5\r"
          "[33--1002]\r总共人民币=900\r[44--1001]\r签到=1\r[小明--1001]\r总共人民币=75\r"));
  // UTF-16 with its byte-order mark, as an editor may save it.
  WriteFileBytes(host.path() / "config" / "签到数据1002.ini",
                 "\xFF\xFE" + zorvane::Utf16FromUtf8("[55--1002]\r\n总共人民币=21\r\n",
                                                     zorvane::ByteOrder::LittleEndian));

  const HostFolder folder(host.str());
  const std::vector<GroupState> groups = folder.Groups();
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].group, "1001");
  EXPECT_EQ(groups[0].path, "/dmmy/19500.html");
  EXPECT_TRUE(groups[0].riddleOpen);
  EXPECT_FALSE(groups[1].riddleOpen);

  std::vector<std::string> members;
  for (const MemberBalance& member : folder.Members("1001")) {
    members.push_back(member.member + "=" + member.text);
  }
  EXPECT_EQ(members, (std::vector<std::string>{"22=130.5", Gbk("小明") + "=75", "11=30"}));
  ASSERT_EQ(folder.Members("1002").size(), 1u);
  EXPECT_EQ(folder.Members("1002")[0].value, 21);
  // Only listed groups are read: a name is never made into another path.
  EXPECT_TRUE(folder.Members("../config/1001").empty());
}

}  // namespace
}  // namespace riddle_site
