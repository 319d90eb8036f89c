#include "signin_ledger.h"

#include <gtest/gtest.h>

#include <fstream>

#include "runtime/settings.h"
#include "scratch_folder.h"

namespace host_simulator {
namespace {

TEST(SigninLedger, SeedsANewMemberAndKeepsAnExistingBalance) {
  ScratchFolder folder;
  const SigninLedger ledger(folder.path(), "555", "42");
  EXPECT_EQ(ledger.FilePath(), folder.path() + "/config/签到数据555.ini");
  EXPECT_EQ(ledger.BalanceText(), std::nullopt);
  EXPECT_EQ(ledger.Balance(), 0.0);

  ASSERT_TRUE(ledger.SeedIfMissing());  // also makes the config folder
  EXPECT_EQ(std::string(zorvane::ReadSetting(ledger.FilePath(), "42--555", "总共人民币")),
            StartingBalance);

  ASSERT_TRUE(ledger.SetBalance("17.5"));
  ASSERT_TRUE(ledger.SeedIfMissing());
  EXPECT_EQ(ledger.Balance(), 17.5);

  // Another member of the same group gets a balance of their own.
  const SigninLedger neighbour(folder.path(), "555", "43");
  ASSERT_TRUE(neighbour.SeedIfMissing());
  EXPECT_EQ(neighbour.BalanceText(), StartingBalance);
  EXPECT_EQ(ledger.BalanceText(), "17.5");
}

TEST(SigninLedger, AnEmptyBalanceCountsAsNone) {
  ScratchFolder folder;
  const SigninLedger ledger(folder.path(), "555", "42");
  ASSERT_TRUE(ledger.SetBalance(""));
  EXPECT_EQ(ledger.BalanceText(), std::nullopt);
  ASSERT_TRUE(ledger.SeedIfMissing());
  EXPECT_EQ(ledger.BalanceText(), StartingBalance);
}

TEST(SigninLedger, FailsWhenTheConfigFolderCannotBeMade) {
  ScratchFolder folder;
  std::ofstream(folder.path() + "/config") << "a file where the folder belongs";
  const SigninLedger ledger(folder.path(), "555", "42");
  EXPECT_FALSE(ledger.SeedIfMissing());
  EXPECT_EQ(ledger.BalanceText(), std::nullopt);

  const SigninLedger nowhere(folder.path() + "/missing", "555", "42");
  EXPECT_FALSE(nowhere.SetBalance("1"));
}

}  // namespace
}  // namespace host_simulator
