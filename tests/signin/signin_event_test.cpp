// The sign-in module's commands, read as either kind of host delivers them,
// and answered on the ledgers below the run directory.
#include "signin/signin_event.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/contract.h"
#include "game/ledger.h"
#include "runtime/native_path.h"
#include "runtime/run_environment.h"
#include "runtime/settings/settings.h"
#include "signin/daily_signin.h"
#include "signin/signin_commands.h"
#include "signin/signin_replies.h"
#include "support/temp_dir.h"

namespace zorvane {
namespace {

using testing::TempDir;

TEST(SigninCommands, AreReadWithOrWithoutTheCommandWord) {
  using enum SigninCommand;
  struct Case {
    const char* message;
    std::optional<SigninCommand> command;
  };
  const Case cases[] = {
      {"签到", SignIn},
      {" 签到\t", SignIn},
      {"签到签到", SignIn},
      {"余额", Balance},
      {"签到余额", Balance},
      {"签到 余额 ", Balance},
      {"排行", Standings},
      {"签到\t排行", Standings},
      // What a host that routes by the command word leaves of them.
      {"", SignIn},
      {"  ", SignIn},
      {" 余额", Balance},
      // Chat that merely mentions a command.
      {"签到啦", std::nullopt},
      {"我要签到", std::nullopt},
      {"余额多少", std::nullopt},
      {"排行榜", std::nullopt},
      {"余额 签到", std::nullopt},
      {"签 到", std::nullopt},
      {"开始", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadSigninCommand(c.message), c.command) << c.message;
  }
}

class SigninEvent : public ::testing::Test {
 protected:
  SigninEvent() { SetRunDirectoryForTesting(runDirectory_.str()); }

  std::string Say(const char* member, const char* message, const char* group = "555") {
    return std::string(HandleSigninEvent(message, "2", group, member, ""));
  }
  std::string Stored(const char* member, TextView key) const {
    return std::string(
        ReadSetting(LedgerFilePath(runDirectory_.str(), "555"), LedgerSection(member, "555"), key));
  }

  TempDir runDirectory_;
};

TEST_F(SigninEvent, SignsInOnceADayAndShowsBalancesAndStandings) {
  EXPECT_EQ(Say("42", "余额"), "你当前有：0元~！");
  const std::string signedIn = Say("42", "签到");
  const std::string balance = Stored("42", BalanceKey);
  ASSERT_FALSE(balance.empty());
  EXPECT_GE(std::stoi(balance), SigninAmounts{}.least);
  EXPECT_LE(std::stoi(balance), SigninAmounts{}.most);
  EXPECT_EQ(signedIn, "签到成功~！本次获得：" + balance + "元。。\r\n你当前有：" + balance +
                          "元，共签到1次~！");
  EXPECT_EQ(Stored("42", LastSigninDayKey), std::string(TodaysDate()));
  // A host that routes by the command word gives the module "" for 签到.
  EXPECT_EQ(Say("42", ""), "你今天已经签到过了~！\r\n你当前有：" + balance + "元~！");
  EXPECT_EQ(Stored("42", BalanceKey), balance);
  EXPECT_EQ(Say("42", " 余额"), "你当前有：" + balance + "元~！");

  ASSERT_TRUE(PayMember(runDirectory_.str(), "555", "7", 500));
  EXPECT_EQ(Say("42", "签到 排行"), "本群人民币排行：\r\n1. 7：500元\r\n2. 42：" + balance + "元");
  EXPECT_EQ(Say("42", "排行", "556"), "本群还没有人有人民币~！");
}

TEST_F(SigninEvent, AnswersOnlyItsCommandsInGroupsFromSafeNames) {
  for (const char* type : {"1", "02", "", "4"}) {
    EXPECT_EQ(std::string(HandleSigninEvent("签到", type, "555", "42", "")), "") << type;
  }
  for (const char* chat : {"签到啦", "开始", "你好"}) {
    EXPECT_EQ(Say("42", chat), "") << chat;
  }
  for (const char* unsafe : {"..", "a\\b", "a:b", "[a]", "a=b", "CON", "com1.ini", "淺"}) {
    EXPECT_EQ(Say(unsafe, "签到"), "") << unsafe;
    EXPECT_EQ(Say("42", "签到", unsafe), "") << unsafe;
    EXPECT_EQ(Say("42", "排行", unsafe), "") << unsafe;
  }
  // Not even the ledgers' folder was made.
  EXPECT_TRUE(std::filesystem::is_empty(runDirectory_.path()));
}

TEST_F(SigninEvent, SaysSoWhenTheLedgerCannotBeWritten) {
  std::ofstream(NativePath(LedgerFolderPath(runDirectory_.str()))) << "a file, not a folder";
  EXPECT_EQ(Say("42", "签到"), "签到没有成功，请稍后再试~！");
  EXPECT_EQ(Say("42", "余额"), "你当前有：0元~！");
}

}  // namespace
}  // namespace zorvane
