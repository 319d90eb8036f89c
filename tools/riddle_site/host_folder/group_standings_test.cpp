#include "host_folder/group_standings.h"

#include <gtest/gtest.h>

#include "game/contract.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "riddles/riddle_catalog.h"
#include "runtime/gbk_utf8.h"
#include "runtime/native_path.h"
#include "runtime/settings/settings_encoding.h"
#include "support/temp_dir.h"

namespace riddle_site {
namespace {

using zorvane::testing::WriteFileBytes;

std::string Gbk(const std::string& utf8) {
  return *zorvane::Utf8ToGbk(utf8);
}

// A group's state file as the module leaves it (GBK).
std::string StateFile(const std::string& path, const std::string& answer) {
  return std::string("[") + std::string(zorvane::StateSection) + "]\r\n" +
         std::string(zorvane::CurrentPathKey) + "=" + path + "\r\n" +
         std::string(zorvane::AnswerKey) + "=" + answer + "\r\n";
}

// A member's section of a ledger as the sign-in module writes it (GBK),
// its lines ending with lineEnd.
std::string LedgerSection(const std::string& member, const std::string& group,
                          const std::string& balance, const char* lineEnd) {
  return std::string("[") + std::string(zorvane::LedgerSection(member, group)) + "]" + lineEnd +
         std::string(zorvane::BalanceKey) + "=" + balance + lineEnd;
}

// The host's files as the module and the sign-in module leave them, in the
// encodings and line ends that the settings layer reads.
TEST(GroupStandings, GroupsAndBalancesReadAsTheModuleReadsThem) {
  zorvane::testing::TempDir host;
  const auto onDisk = [&](const zorvane::Text& path) { return zorvane::NativePath(path); };
  std::filesystem::create_directories(onDisk(zorvane::GameFolderPath(host.str())));
  std::filesystem::create_directories(onDisk(zorvane::LedgerFolderPath(host.str())));
  WriteFileBytes(onDisk(zorvane::StateFilePath(host.str(), "1001")),
                 StateFile(RiddlePath(19500), Gbk("花生")));
  WriteFileBytes(onDisk(zorvane::StateFilePath(host.str(), "1002")),
                 StateFile(RiddlePath(19499), ""));
  WriteFileBytes(onDisk(zorvane::GameFolderPath(host.str())) + "/notes.txt", "not a group");
  // CR-only lines; a section of another group; a member without a balance.
  WriteFileBytes(onDisk(zorvane::LedgerFilePath(host.str(), "1001")),
                 LedgerSection("11", "1001", "30", "\r") +
                     LedgerSection("22", "1001", "130.5", "\r") +
                     LedgerSection("33", "1002", "900", "\r") + std::string("[") +
                     std::string(zorvane::LedgerSection("44", "1001")) + "]\r" + Gbk("签到") +
                     "=1\r" + LedgerSection(Gbk("小明"), "1001", "75", "\r"));
  // UTF-16 with its byte-order mark, as an editor may save it.
  WriteFileBytes(onDisk(zorvane::LedgerFilePath(host.str(), "1002")),
                 "\xFF\xFE" + zorvane::Utf16FromUtf8(zorvane::GbkToUtf8Lenient(
                                                         LedgerSection("55", "1002", "21", "\r\n")),
                                                     zorvane::ByteOrder::LittleEndian));

  const HostFolder folder(host.str());
  const std::vector<GroupState> groups = folder.Groups();
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].group, "1001");
  EXPECT_EQ(groups[0].path, RiddlePath(19500));
  EXPECT_TRUE(groups[0].riddleOpen);
  EXPECT_FALSE(groups[1].riddleOpen);

  std::vector<std::string> members;
  for (const MemberBalance& member : folder.Members("1001")) {
    members.push_back(std::string(member.member) + "=" + std::string(member.text));
  }
  EXPECT_EQ(members, (std::vector<std::string>{"22=130.5", Gbk("小明") + "=75", "11=30"}));
  ASSERT_EQ(folder.Members("1002").size(), 1u);
  EXPECT_EQ(folder.Members("1002")[0].value, 21);
  // Only listed groups are read: a name is never made into another path.
  EXPECT_TRUE(folder.Members("../config/1001").empty());
}

}  // namespace
}  // namespace riddle_site
