// The sign-in module rewrites the ledger from another process while the game
// plays. Two processes write the same file a few thousand times each: the
// game's balance updates for one member and the sign-in side's updates of
// other members. The file must never be torn, and no key of the other side
// may vanish. Neither takes a lock, but a write that finds the file changed
// since its read starts again: only updates that land in the instant between
// that check and the rename are lost. Without the check about half of each
// side's updates were lost; the test counts them and allows a few.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>

#include "game/contract.h"
#include "game/ledger.h"
#include "runtime/convert.h"
#include "runtime/native_path.h"
#include "runtime/run_environment.h"
#include "runtime/settings/settings.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace zorvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr int Writes = 2000;
constexpr int SignInMembers = 40;
const std::string Group = "70001";
const std::string Player = "9999";
constexpr double PlayerStart = 100000;

std::string SignInMember(int i) {
  return std::to_string(20000 + i);
}

class LedgerConcurrency : public ::testing::Test {
 protected:
  LedgerConcurrency() {
    fs::create_directory(runDir_.path() / "config");
    SetRunDirectoryForTesting(runDir_.str());
    for (int i = 0; i < SignInMembers; ++i) {
      WriteSetting(Ledger(), LedgerSection(SignInMember(i), Group), BalanceKey, "0");
    }
    WriteSetting(Ledger(), LedgerSection(Player, Group), BalanceKey, ToText(PlayerStart));
  }

  std::string Ledger() const { return std::string(LedgerFilePath(RunDirectory(), Group)); }

  // Every member's key as one copy of the file holds it; false when any is
  // missing or not a number, which a torn or half-written file would show.
  bool SnapshotIsWhole(const fs::path& snapshot) const {
    WriteFileBytes(snapshot, ReadFileBytes(NativePath(Ledger())));
    for (int i = 0; i <= SignInMembers; ++i) {
      const std::string member = i == SignInMembers ? Player : SignInMember(i);
      const Text value = ReadSetting(snapshot.string(), LedgerSection(member, Group), BalanceKey);
      if (value.empty() || value.find_first_not_of("0123456789.") != Text::npos) {
        return false;
      }
    }
    return true;
  }

  TempDir runDir_;
};

// The game's side: Writes balance updates of +1 through the ledger's own
// read-change-write, as a correct or wrong guess makes them.
int PlayGame() {
  for (int i = 0; i < Writes; ++i) {
    AdjustBalance(Group, Player, 1);
  }
  return 0;
}

// The sign-in side: rewrites its members' keys in turn with ever larger
// values. Before each write it looks whether its previous value for that
// member is still there, and writes the number that were not, the updates
// that a write of the game undid, to the file count.
int SignInMembersAgain(const std::string& ledger, const fs::path& count) {
  int lost = 0;
  for (int i = 0; i < Writes; ++i) {
    const int member = i % SignInMembers;
    const Text section = LedgerSection(SignInMember(member), Group);
    if (i >= SignInMembers) {
      const Text expected = ToText(static_cast<std::int32_t>(i - SignInMembers + 1));
      lost += ReadSetting(ledger, section, BalanceKey) != expected;
    }
    WriteSetting(ledger, section, BalanceKey, ToText(static_cast<std::int32_t>(i + 1)));
  }
  WriteFileBytes(count, std::to_string(lost));
  return 0;
}

TEST_F(LedgerConcurrency, TwoWritersNeverTearTheFileNorDropKeys) {
  const std::string ledger = Ledger();
  const pid_t game = StartChild(PlayGame);
  const fs::path lostCount = runDir_.path() / "lost";
  const pid_t signIn = StartChild([&] { return SignInMembersAgain(ledger, lostCount); });

  // Meanwhile: every state of the file that a reader can see is whole.
  const fs::path snapshot = runDir_.path() / "snapshot.ini";
  int looks = 0;
  int torn = 0;
  while (waitpid(game, nullptr, WNOHANG) == 0) {
    torn += !SnapshotIsWhole(snapshot);
    ++looks;
  }
  ASSERT_EQ(WaitForChild(signIn), 0);
  const int signInLostWhileRunning = std::stoi(ReadFileBytes(lostCount));
  EXPECT_EQ(torn, 0) << "of " << looks << " looks at the file";

  // Every sign-in key survives, holding one of the values written to it.
  int signInLostAtEnd = 0;
  for (int member = 0; member < SignInMembers; ++member) {
    const Text value = ReadSetting(ledger, LedgerSection(SignInMember(member), Group), BalanceKey);
    ASSERT_FALSE(value.empty()) << "member " << member << " vanished";
    const double number = ToNumber(value);
    const int last = Writes - SignInMembers + member + 1;
    EXPECT_TRUE(number >= 0 && number <= last && std::floor(number) == number) << value;
    signInLostAtEnd += number != last;
  }
  const double player = ReadBalance(Group, Player);
  EXPECT_LE(player, PlayerStart + Writes);
  EXPECT_GT(player, PlayerStart);

  const int signInLost = signInLostWhileRunning + signInLostAtEnd;
  const int gameLost = static_cast<int>(PlayerStart + Writes - player);
  std::cout << "[ figures  ] " << Writes << " writes each; sign-in updates lost: " << signInLost
            << " (" << signInLostWhileRunning
            << " seen while running), game updates lost: " << gameLost << "; " << looks
            << " looks at the file, " << torn << " torn\n";
  EXPECT_LT(signInLost, Writes / 10);
  EXPECT_LT(gameLost, Writes / 10);
}

}  // namespace
}  // namespace zorvane::testing
