// The ledger under faults while it is written: a full disk, a process
// killed half-way through a write, a read-only folder or file, and a folder
// where the file should be. Whatever happens, the member's money and every
// other member's balance stay as one complete file holds them.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "game/contract.h"
#include "game/ledger.h"
#include "game_session.h"
#include "runtime/native_path.h"
#include "runtime/settings/settings.h"
#include "support/child_process.h"

namespace zorvane::testing {
namespace {

namespace fs = std::filesystem;

const std::string Group = "60001";
const std::string Player = "8888";
const std::string Section(LedgerSection(Player, Group));

// The names in a folder, so that a test sees any file left beside the ledger.
std::vector<std::string> EntriesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

class LedgerFaults : public GameTest {
 protected:
  // A ledger as the sign-in module keeps it (CRLF lines), with many other
  // members so that a write takes a while, and a riddle open in the group.
  void SetUpLedger(int otherMembers) {
    std::string ledger;
    for (int i = 0; i < otherMembers; ++i) {
      // Appended piece by piece: "[" + a temporary string makes GCC 12 at -O3
      // warn of an overlapping copy that cannot happen.
      ledger.append("[").append(std::to_string(10000 + i)).append("--").append(Group);
      ledger.append("]\r\n").append(BalanceKey).append("=");
      ledger.append(std::to_string(30 + i % 97)).append(".5\r\n");
    }
    ledger += "[" + Section + "]\r\n" + std::string(BalanceKey) + "=1000000\r\n";
    WriteFileBytes(LedgerOnDisk(), ledger);
    SetState(Group, CurrentPathKey, std::string(InitialRiddlePath));
    SetState(Group, AnswerKey, "灯笼");
  }

  fs::path LedgerOnDisk() const { return LedgerFile(Group); }
  std::string LedgerBytes() const { return ReadFileBytes(LedgerOnDisk()); }
  fs::path ConfigFolder() const { return LedgerOnDisk().parent_path(); }

  // Lets an unprivileged child reach the run folder.
  void OpenRunFolderToAll() const {
    fs::permissions(runDir_.path(), fs::perms::all);
    fs::permissions(StateFile(Group).parent_path(), fs::perms::all);
    fs::permissions(StateFile(Group), fs::perms::all);
  }

  // A wrong guess in a child without root's privileges; true when the
  // reply was the consolation, which does not depend on the write.
  bool WrongGuessAsUnprivilegedUser() {
    return RunInChild([&] {
             if (!DropRootPrivileges()) {
               return 2;
             }
             return AmountInReply(Say(Group, Player, "不知道"), WrongGuessReplyHead) ? 0 : 1;
           }) == 0;
  }
};

TEST_F(LedgerFaults, FullDiskLeavesTheOldLedgerByteForByte) {
  SetUpLedger(300);
  const std::string before = LedgerBytes();
  // The file size limit stands for a full disk: the new file cannot be
  // written beyond half the old one's size.
  const auto guessWithFullDisk = [&](const std::string& message, TextView head) {
    return RunInChild([&] {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlim_t size = before.size() / 2;
      const rlimit limit{size, size};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        return 2;
      }
      return AmountInReply(Say(Group, Player, message), head) ? 0 : 1;
    });
  };
  EXPECT_EQ(guessWithFullDisk("不知道", WrongGuessReplyHead), 0);
  EXPECT_EQ(LedgerBytes(), before);
  EXPECT_EQ(guessWithFullDisk("是灯笼", CorrectGuessReplyHead), 0);
  EXPECT_EQ(LedgerBytes(), before);
  EXPECT_EQ(EntriesIn(ConfigFolder()), std::vector<std::string>{LedgerOnDisk().filename()});

  // Once there is room again the next guess is charged as usual. (The
  // correct guess above moved the group on to a page without a riddle.)
  SetState(Group, AnswerKey, "灯笼");
  const std::int32_t penalty = ExpectWrongGuessReply(Say(Group, Player, "不知道"));
  EXPECT_EQ(Balance(Group, Player), BalanceText(1000000 - penalty));
}

TEST_F(LedgerFaults, KillDuringWritesLeavesTheOldOrTheNewLedger) {
  SetUpLedger(1500);
  const fs::path scratch = runDir_.path() / "scratch.ini";
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> delayMicroseconds(0, 30000);
  int changed = 0;
  constexpr int Kills = 100;
  for (int i = 0; i < Kills; ++i) {
    const std::string old = LedgerBytes();
    const pid_t child = StartChild([&] {
      for (;;) {
        Say(Group, Player, "不知道");
      }
      return 0;
    });
    usleep(static_cast<useconds_t>(delayMicroseconds(random)));
    kill(child, SIGKILL);
    WaitForChild(child);

    // Whole: exactly what one complete write of the balance now stored makes
    // of the file before, every other member's line untouched.
    const std::string now = LedgerBytes();
    const std::string balance = Balance(Group, Player);
    ASSERT_FALSE(balance.empty()) << "kill " << i;
    WriteFileBytes(scratch, old);
    ASSERT_TRUE(WriteSetting(scratch.string(), Section, BalanceKey, balance));
    ASSERT_EQ(now, ReadFileBytes(scratch)) << "kill " << i << ": a mixed ledger";
    changed += now != old;
  }
  fs::remove(scratch);
  // A file that a killed write left behind does not stop the next one.
  const std::vector<std::string> entries = EntriesIn(ConfigFolder());
  const double before = std::stod(Balance(Group, Player));
  const std::int32_t penalty = ExpectWrongGuessReply(Say(Group, Player, "不知道"));
  EXPECT_EQ(Balance(Group, Player), BalanceText(before - penalty));
  std::cout << "[ figures  ] " << Kills << " kills, " << changed << " after a completed write, "
            << entries.size() - 1 << " files left beside the ledger by killed writes\n";
  EXPECT_GT(changed, 0) << "no kill came after a write: the child never got going";
}

TEST_F(LedgerFaults, ReadOnlyFolderOrFileLeavesTheLedgerAsItWas) {
  SetUpLedger(20);
  OpenRunFolderToAll();
  const std::string before = LedgerBytes();
  fs::permissions(LedgerOnDisk(), fs::perms::all);
  fs::permissions(ConfigFolder(), fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
  EXPECT_TRUE(WrongGuessAsUnprivilegedUser());
  EXPECT_EQ(LedgerBytes(), before);

  fs::permissions(ConfigFolder(), fs::perms::all);
  fs::permissions(LedgerOnDisk(),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_TRUE(WrongGuessAsUnprivilegedUser());
  EXPECT_EQ(LedgerBytes(), before);
  EXPECT_EQ(EntriesIn(ConfigFolder()), std::vector<std::string>{LedgerOnDisk().filename()});
}

TEST_F(LedgerFaults, FoldersInPlaceOfTheFilesAreLeftAlone) {
  SetUpLedger(0);
  fs::remove(LedgerOnDisk());
  fs::create_directory(LedgerOnDisk());
  // No balance can be read: the member is refused and nothing is written.
  EXPECT_EQ(Say(Group, Player, "不知道"), RefusalShowing(""));
  EXPECT_TRUE(fs::is_directory(LedgerOnDisk()));
  EXPECT_TRUE(fs::is_empty(LedgerOnDisk()));

  const std::string group = "60002";
  SetBalance(group, Player, "100");
  fs::create_directory(StateFile(group));
  const std::string before = Snapshot();
  // No page and no answer can be read from a folder: no reply, no charge.
  EXPECT_EQ(Say(group, Player, "开始"), "");
  EXPECT_EQ(Say(group, Player, "不知道"), "");
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace zorvane::testing
