#include "signin/signin_ledger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "runtime/native_path.h"
#include "runtime/settings/settings.h"
#include "support/temp_dir.h"

namespace host_simulator {
namespace {

TEST(SigninLedger, SeedsANewMemberAndKeepsAnExistingBalance) {
  const zorvane::testing::TempDir folder;
  const SigninLedger ledger(folder.str());
  EXPECT_EQ(ledger.FilePath("555"), folder.str() + "/config/签到数据555.ini");
  EXPECT_EQ(ledger.BalanceText("555", "42"), std::nullopt);
  EXPECT_EQ(ledger.Balance("555", "42"), 0.0);

  ASSERT_TRUE(ledger.SeedIfMissing("555", "42"));  // also makes the config folder
  EXPECT_EQ(std::string(zorvane::ReadSetting(ledger.FilePath("555"), "42--555", "总共人民币")),
            StartingBalance);

  ASSERT_TRUE(ledger.SetBalance("555", "42", "17.5"));
  ASSERT_TRUE(ledger.SeedIfMissing("555", "42"));
  EXPECT_EQ(ledger.Balance("555", "42"), 17.5);

  // Another member of the same group, and the same member in another group,
  // get balances of their own.
  ASSERT_TRUE(ledger.SeedIfMissing("555", "43"));
  ASSERT_TRUE(ledger.SeedIfMissing("556", "42"));
  EXPECT_EQ(ledger.BalanceText("555", "43"), StartingBalance);
  EXPECT_EQ(ledger.BalanceText("556", "42"), StartingBalance);
  EXPECT_EQ(ledger.BalanceText("555", "42"), "17.5");
}

TEST(SigninLedger, AnEmptyBalanceCountsAsNone) {
  const zorvane::testing::TempDir folder;
  const SigninLedger ledger(folder.str());
  ASSERT_TRUE(ledger.SetBalance("555", "42", ""));
  EXPECT_EQ(ledger.BalanceText("555", "42"), std::nullopt);
  ASSERT_TRUE(ledger.SeedIfMissing("555", "42"));
  EXPECT_EQ(ledger.BalanceText("555", "42"), StartingBalance);
}

TEST(SigninLedger, FailsWhenTheConfigFolderCannotBeMade) {
  const zorvane::testing::TempDir folder;
  std::ofstream(folder.str() + "/config") << "a file where the folder belongs";
  const SigninLedger ledger(folder.str());
  EXPECT_FALSE(ledger.SeedIfMissing("555", "42"));
  EXPECT_FALSE(ledger.Give("555", "42", 5));
  EXPECT_EQ(ledger.BalanceText("555", "42"), std::nullopt);

  const SigninLedger nowhere(folder.str() + "/missing");
  EXPECT_FALSE(nowhere.SetBalance("555", "42", "1"));
}

TEST(SigninLedger, GivingAddsToTheStoredBalanceAsTheModuleWritesNumbers) {
  const zorvane::testing::TempDir folder;
  const SigninLedger ledger(folder.str());
  ASSERT_TRUE(ledger.Give("555", "42", 50));  // no balance yet: from 0
  EXPECT_EQ(ledger.BalanceText("555", "42"), "50");
  ASSERT_TRUE(ledger.SetBalance("555", "42", "17.5"));
  ASSERT_TRUE(ledger.Give("555", "42", 2.5));
  EXPECT_EQ(ledger.BalanceText("555", "42"), "20");  // whole: no decimal point
  ASSERT_TRUE(ledger.Give("555", "42", -30));
  EXPECT_EQ(ledger.BalanceText("555", "42"), "-10");
}

TEST(SigninLedger, ListsTheGroupsMembersHighestFirst) {
  const zorvane::testing::TempDir folder;
  const SigninLedger ledger(folder.str());
  EXPECT_TRUE(ledger.Members("555").empty());  // no file yet

  // As the sign-in module may have left it: other keys, another group's
  // section, a section without a balance, a name in another letter case
  // repeated, blanks around a header.
  std::filesystem::create_directory(folder.path() / "config");
  // The file system spells the GBK file name in UTF-8.
  std::ofstream(zorvane::NativePath(ledger.FilePath("555")), std::ios::binary)
      << "[7--555]\r\n签到次数=3\r\n总共人民币=35\r\n"
         "[8--555]\r\n总共人民币=120.5\r\n"
         "[9--556]\r\n总共人民币=999\r\n"
         "[10--555]\r\n签到次数=1\r\n"
         "  [11--555]  \r\n总共人民币=35\r\n"
         "[7--555]\r\n总共人民币=1000\r\n"
         "[--555]\r\n总共人民币=5\r\n";
  const std::vector<MemberBalance> members = ledger.Members("555");
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(members[0].member, "8");
  EXPECT_EQ(members[0].text, "120.5");
  EXPECT_EQ(members[1].member, "7");  // the first section of a name counts
  EXPECT_EQ(members[1].text, "35");
  EXPECT_EQ(members[2].member, "11");  // equal balances keep the file's order
}

}  // namespace
}  // namespace host_simulator
