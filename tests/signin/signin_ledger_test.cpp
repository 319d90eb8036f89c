// The sign-in side of the ledger, on files as the sign-in module and the
// game leave them.
#include "signin/signin_ledger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/ledger.h"
#include "runtime/native_path.h"
#include "support/temp_dir.h"

namespace zorvane {
namespace {

using testing::TempDir;

std::optional<std::string> Stored(const TempDir& folder, const char* group, const char* member) {
  const std::optional<Text> text = ReadMemberBalance(folder.str(), group, member);
  return text ? std::optional<std::string>(*text) : std::nullopt;
}

TEST(SigninLedger, BalancesAreKeptPerMemberAndGroupAndAnEmptyOneIsNone) {
  const TempDir folder;
  EXPECT_EQ(Stored(folder, "555", "42"), std::nullopt);                // no ledger yet
  ASSERT_TRUE(WriteMemberBalance(folder.str(), "555", "42", "17.5"));  // makes the folder
  ASSERT_TRUE(WriteMemberBalance(folder.str(), "555", "43", "100"));
  ASSERT_TRUE(WriteMemberBalance(folder.str(), "556", "42", "5"));
  EXPECT_EQ(Stored(folder, "555", "42"), "17.5");
  EXPECT_EQ(Stored(folder, "555", "43"), "100");
  EXPECT_EQ(Stored(folder, "556", "42"), "5");
  // The game reads the same file.
  EXPECT_TRUE(std::filesystem::is_regular_file(NativePath(LedgerFilePath(folder.str(), "555"))));

  ASSERT_TRUE(WriteMemberBalance(folder.str(), "555", "42", ""));
  EXPECT_EQ(Stored(folder, "555", "42"), std::nullopt);
}

TEST(SigninLedger, PayingAddsToTheStoredBalanceAsTheGameWritesNumbers) {
  const TempDir folder;
  struct Payment {
    double amount;
    const char* after;
  };
  const Payment payments[] = {
      {50, "50"},                    // no balance yet: from 0
      {-32.5, "17.5"}, {2.5, "20"},  // whole: no decimal point
      {-30, "-10"},    {1e300, "1e+300"},
  };
  for (const Payment& payment : payments) {
    ASSERT_TRUE(PayMember(folder.str(), "555", "42", payment.amount)) << payment.amount;
    EXPECT_EQ(Stored(folder, "555", "42"), payment.after) << payment.amount;
  }
  // A sum beyond the largest number would read back as 0: refused, kept.
  ASSERT_TRUE(WriteMemberBalance(folder.str(), "555", "42", "1.7e308"));
  EXPECT_FALSE(PayMember(folder.str(), "555", "42", 1e308));
  EXPECT_EQ(Stored(folder, "555", "42"), "1.7e308");
}

TEST(SigninLedger, NothingIsWrittenWhereTheLedgersFolderCannotBe) {
  const TempDir folder;
  std::ofstream(NativePath(LedgerFolderPath(folder.str()))) << "a file where the folder belongs";
  EXPECT_FALSE(WriteMemberBalance(folder.str(), "555", "42", "1"));
  EXPECT_FALSE(PayMember(folder.str(), "555", "42", 5));
  EXPECT_EQ(Stored(folder, "555", "42"), std::nullopt);

  const std::string nowhere = folder.str() + "/missing";
  EXPECT_FALSE(WriteMemberBalance(nowhere, "555", "42", "1"));
  EXPECT_FALSE(PayMember(nowhere, "555", "42", 1));
}

TEST(SigninLedger, ListsTheGroupsMembersHighestFirst) {
  const TempDir folder;
  EXPECT_TRUE(LedgerMembers(folder.str(), "555").empty());  // no ledger yet

  // As the sign-in module may have left it: other keys, another group's
  // section, a section without a balance, a name in another letter case
  // repeated, blanks around a header.
  std::filesystem::create_directory(NativePath(LedgerFolderPath(folder.str())));
  std::ofstream(NativePath(LedgerFilePath(folder.str(), "555")), std::ios::binary)
      << "[7--555]\r\n签到次数=3\r\n总共人民币=35\r\n"
         "[8--555]\r\n总共人民币=120.5\r\n"
         "[9--556]\r\n总共人民币=999\r\n"
         "[10--555]\r\n签到次数=1\r\n"
         "  [11--555]  \r\n总共人民币=35\r\n"
         "[7--555]\r\n总共人民币=1000\r\n"
         "[--555]\r\n总共人民币=5\r\n";
  const std::vector<MemberBalance> members = LedgerMembers(folder.str(), "555");
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(members[0].member, "8");
  EXPECT_EQ(members[0].text, "120.5");
  EXPECT_EQ(members[0].value, 120.5);
  EXPECT_EQ(members[1].member, "7");  // the first section of a name counts
  EXPECT_EQ(members[1].text, "35");
  EXPECT_EQ(members[2].member, "11");  // equal balances keep the file's order
}

}  // namespace
}  // namespace zorvane
