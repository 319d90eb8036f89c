// The files that the game shares between its runs and with the sign-in
// module are the same whichever platform wrote them: the same scripted game
// on the Linux module and on the Windows DLL under Wine writes the same
// state files and ledgers, and each side reads and plays on with the other's.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>

#include "game/contract.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game_session.h"
#include "scenarios.h"
#include "support/fake_program.h"
#include "support/hex.h"

namespace zorvane::testing {
namespace {

const std::vector<std::string> Groups = {"1001", "谜语群"};

// Balances are random; the test compares everything else. Each balance
// key's value becomes "#".
std::string WithoutBalances(const std::string& file) {
  const std::string key = std::string(BalanceKey) + "=";
  std::string masked;
  std::size_t start = 0;
  for (std::size_t at; (at = file.find(key, start)) != std::string::npos;) {
    masked += file.substr(start, at - start) + key + "#";
    start = file.find_first_of("\r\n", at);
    if (start == std::string::npos) {
      return masked;
    }
  }
  return masked + file.substr(start);
}

// The same script on any back-end: a ledger that the sign-in module made,
// a game with wrong and correct guesses by two members in two groups.
void PlayScript(std::optional<ScenarioPlayer>& player, const std::vector<RiddleChainLink>& chain) {
  ScenarioPlayer& p = *player;
  p.Info();
  for (const std::string& group : Groups) {
    p.SetBalance(group, "张三", "50");
    p.SetBalance(group, "8", "99.5");
    ASSERT_EQ(p.Say(group, "张三", "开始"), chain[0].riddle.question);
    p.ExpectWrongGuess(group, "8", "不知道");
    p.ExpectCorrectGuess(group, "张三", chain[0].riddle.answer, chain[1].riddle.question);
    p.ExpectCorrectGuess(group, "8", chain[1].riddle.answer, chain[2].riddle.question);
  }
}

class SameFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::filesystem::path> build =
        WindowsBuildFromEnvironment("ZORVANE_WIN64_BUILD");
    if (!build) {
      GTEST_SKIP() << "ZORVANE_WIN64_BUILD names no Windows build";
    }
    site_.SetChain(chain_);
    linux_ = MakeDlopenBackend();
    windows_ = MakeWineBackend(*build, "win64", false);
    for (ScenarioBackend* backend : {linux_.get(), windows_.get()}) {
      backend->Start({});
      backend->PointAt(site_.base(), site_.base() + "/update.html");
    }
    onLinux_.emplace(*linux_, site_);
    onWindows_.emplace(*windows_, site_);
  }

  // The ledger and the state file of every group, as the module names them
  // below its folder ("." standing for it).
  std::vector<std::string> SharedFiles() const {
    std::vector<std::string> files;
    for (const std::string& group : Groups) {
      files.emplace_back(LedgerFilePath(".", group));
      files.emplace_back(StateFilePath(".", group));
    }
    return files;
  }

  // The script on the Linux side, then on the Windows side.
  void PlayOnBothSides() {
    PlayScript(onLinux_, chain_);
    site_.ClearRequests();
    PlayScript(onWindows_, chain_);
  }

  ScopedEnvironmentVariable noDisplay_{"DISPLAY", std::nullopt};
  RiddleSite site_;
  std::vector<RiddleChainLink> chain_ = MakeRiddleChain(std::string(InitialRiddlePath), 5);
  std::unique_ptr<ScenarioBackend> linux_;
  std::unique_ptr<ScenarioBackend> windows_;
  std::optional<ScenarioPlayer> onLinux_;
  std::optional<ScenarioPlayer> onWindows_;
};

TEST_F(SameFiles, BothSidesWriteTheSameBytes) {
  PlayOnBothSides();
  for (const std::string& file : SharedFiles()) {
    const std::string linuxBytes = ReadFileBytes(linux_->LocalPath(file));
    const std::string windowsBytes = ReadFileBytes(windows_->LocalPath(file));
    std::cout << file << "\n  Linux:   " << Hex(linuxBytes) << "\n  Windows: " << Hex(windowsBytes)
              << "\n";
    EXPECT_EQ(Hex(WithoutBalances(linuxBytes)), Hex(WithoutBalances(windowsBytes))) << file;
  }
}

// Files written on one side are copied to the other, which reads them and
// plays on from where the first side stopped.
TEST_F(SameFiles, EachSidePlaysOnWithTheOthersFiles) {
  PlayOnBothSides();
  const std::vector<std::string> files = SharedFiles();
  std::vector<std::string> linuxBytes, windowsBytes;
  for (const std::string& file : files) {
    linuxBytes.push_back(ReadFileBytes(linux_->LocalPath(file)));
    windowsBytes.push_back(ReadFileBytes(windows_->LocalPath(file)));
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    WriteFileBytes(linux_->LocalPath(files[i]), windowsBytes[i]);
    WriteFileBytes(windows_->LocalPath(files[i]), linuxBytes[i]);
  }
  for (ScenarioPlayer* player : {&*onLinux_, &*onWindows_}) {
    for (const std::string& group : Groups) {
      EXPECT_EQ(player->Say(group, "8", "开始"), chain_[2].riddle.question);
      player->ExpectWrongGuess(group, "张三", "不知道");
      player->ExpectCorrectGuess(group, "8", chain_[2].riddle.answer, chain_[3].riddle.question);
      EXPECT_EQ(player->State(group, CurrentPathKey), chain_[3].path);
    }
  }
}

// A ledger as the sign-in module may lay it out: LF line ends, a blank line
// between sections, a comment. The module changes one value; the Linux side
// keeps the rest of the layout, the Windows profile API rewrites the file.
TEST_F(SameFiles, ALedgerLaidOutByTheSignInModule) {
  const std::string ledger =
      "; sign-in data\n[张三--1001]\n总共人民币=50\n签到天数=3\n\n[8--1001]\n总共人民币=99\n";
  std::vector<std::string> results;
  for (ScenarioBackend* backend : {linux_.get(), windows_.get()}) {
    ScenarioPlayer player(*backend, site_);
    player.Info();
    std::filesystem::create_directories(player.LedgerFile("1001").parent_path());
    WriteFileBytes(player.LedgerFile("1001"), ledger);
    ASSERT_EQ(player.Say("1001", "张三", "开始"), chain_[0].riddle.question);
    const std::int32_t penalty = player.ExpectWrongGuess("1001", "张三", "不知道");
    const std::string after = ReadFileBytes(player.LedgerFile("1001"));
    EXPECT_EQ(ReadSettingFromBytes(after, "张三--1001", "签到天数"), "3");
    EXPECT_EQ(ReadSettingFromBytes(after, LedgerSection("8", "1001"), BalanceKey), "99");
    std::string expected = ledger;
    expected.replace(expected.find("=50") + 1, 2, BalanceText(50 - penalty));
    results.push_back(WithoutBalances(after));
    std::cout << "after one penalty: " << Hex(after) << "\n";
    if (backend == linux_.get()) {
      EXPECT_EQ(after, expected);
    }
    site_.ClearRequests();
  }
  // Wine's profile API rewrites every line with CRLF and drops the blank
  // line; it keeps the comment.
  std::string crlf;
  const std::string masked = WithoutBalances(ledger);
  for (std::size_t i = 0; i < masked.size(); ++i) {
    if (masked[i] != '\n') {
      crlf += masked[i];
    } else if (i == 0 || masked[i - 1] != '\n') {
      crlf += "\r\n";
    }
  }
  EXPECT_EQ(Hex(results[1]), Hex(crlf));
}

TEST_F(SameFiles, TheWindowsDllClearsAwayStaleLeftoversOfItsWrites) {
  // "zv<hex>.tmp" is what GetTempFileNameA names the copies that writes edit.
  // Old ones are leftovers of killed writes; a young one may be in use.
  const std::vector<std::pair<std::string, bool>> oldFileRemoved = {
      {"zv1A.tmp", true}, {"ZV2b.TMP", true}, {"zz4D.tmp", false}, {"zv12345.tmp", false}};
  ScenarioPlayer player(*windows_, site_);
  player.Info();
  const std::filesystem::path config = player.LedgerFile("1001").parent_path();
  std::filesystem::create_directories(config);
  const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(10);
  for (const auto& [name, removed] : oldFileRemoved) {
    WriteFileBytes(config / name, "x");
    std::filesystem::last_write_time(config / name, longAgo);
  }
  WriteFileBytes(config / "zv3C.tmp", "x");
  player.SetBalance("1001", "8", "50");
  ASSERT_EQ(player.Say("1001", "8", "开始"), chain_[0].riddle.question);
  player.ExpectWrongGuess("1001", "8", "不知道");
  for (const auto& [name, removed] : oldFileRemoved) {
    EXPECT_EQ(std::filesystem::exists(config / name), !removed) << name;
  }
  EXPECT_TRUE(std::filesystem::exists(config / "zv3C.tmp"));
}

}  // namespace
}  // namespace zorvane::testing
