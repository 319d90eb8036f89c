// The daily sign-in on ledgers as the game and other sign-in modules leave
// them: one payment a day, its own keys beside the balance, nothing else
// touched.
#include "signin/daily_signin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "game/ledger.h"
#include "runtime/native_path.h"
#include "signin/signin_replies.h"
#include "support/temp_dir.h"

namespace zorvane {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(DailySignin, PaysOnceADayAndCountsTheDays) {
  const TempDir folder;
  struct Step {
    const char* day;
    std::int32_t amount;
    SigninOutcome outcome;
    const char* balance;
    const char* count;
  };
  const Step steps[] = {
      {"2025-03-01", 40, SigninOutcome::SignedIn, "40", "1"},
      {"2025-03-01", 55, SigninOutcome::AlreadySignedIn, "40", "1"},
      {"2025-03-02", 45, SigninOutcome::SignedIn, "85", "2"},
      {"2025-03-02", 45, SigninOutcome::AlreadySignedIn, "85", "2"},
      // Another day, whichever way the clock went.
      {"2025-03-01", 60, SigninOutcome::SignedIn, "145", "3"},
  };
  for (const Step& step : steps) {
    const Signin signin = SignIn(folder.str(), "555", "42", step.day, step.amount);
    EXPECT_EQ(signin.outcome, step.outcome) << step.day;
    EXPECT_EQ(signin.amount, step.outcome == SigninOutcome::SignedIn ? step.amount : 0);
    EXPECT_EQ(signin.balance, step.balance) << step.day;
    EXPECT_EQ(signin.count, step.count) << step.day;
  }
  // The same member in another group signs in there apart.
  EXPECT_EQ(SignIn(folder.str(), "556", "42", "2025-03-01", 50).balance, "50");
  EXPECT_EQ(BalanceOf(folder.str(), "555", "42"), "145");
  EXPECT_EQ(BalanceOf(folder.str(), "555", "43"), "0");
}

TEST(DailySignin, LeavesWhatOthersKeepInTheLedgerAlone) {
  const TempDir folder;
  std::filesystem::create_directories(NativePath(LedgerFolderPath(folder.str())));
  const std::filesystem::path ledger = NativePath(LedgerFilePath(folder.str(), "555"));
  // Another sign-in module's ledger: its own keys, a balance the game has
  // been changing, other members.
  WriteFileBytes(ledger,
                 "[42--555]\r\n签到次数=17\r\n上次签到=2025-02-28\r\n总共人民币=12.5\r\n"
                 "[43--555]\r\n总共人民币=300\r\n");
  const Signin signin = SignIn(folder.str(), "555", "42", "2025-03-01", 40);
  EXPECT_EQ(signin.outcome, SigninOutcome::SignedIn);
  EXPECT_EQ(signin.balance, "52.5");
  EXPECT_EQ(signin.count, "1");
  EXPECT_EQ(ReadFileBytes(ledger),
            "[42--555]\r\n签到次数=17\r\n上次签到=2025-02-28\r\n总共人民币=52.5\r\n"
            "每日签到日期=2025-03-01\r\n每日签到次数=1\r\n"
            "[43--555]\r\n总共人民币=300\r\n");
}

TEST(DailySignin, SignInsAtOnceOnOneDayPayOnce) {
  const TempDir folder;
  std::vector<Signin> signins(8);
  std::vector<std::thread> threads;
  for (Signin& signin : signins) {
    threads.emplace_back([&] { signin = SignIn(folder.str(), "555", "42", "2025-03-01", 40); });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  int paid = 0;
  for (const Signin& signin : signins) {
    paid += signin.outcome == SigninOutcome::SignedIn;
  }
  EXPECT_EQ(paid, 1);
  EXPECT_EQ(BalanceOf(folder.str(), "555", "42"), "40");
}

TEST(DailySignin, NothingIsPaidOrRecordedWhereTheLedgerCannotBeWritten) {
  const TempDir folder;
  std::ofstream(NativePath(LedgerFolderPath(folder.str()))) << "a file where the folder belongs";
  const Signin signin = SignIn(folder.str(), "555", "42", "2025-03-01", 40);
  EXPECT_EQ(signin.outcome, SigninOutcome::NotWritten);
  EXPECT_EQ(signin.amount, 0);
  EXPECT_EQ(SigninReply(signin), "签到没有成功，请稍后再试~！");
}

TEST(DailySignin, AmountsStayInTheirRange) {
  struct Range {
    SigninAmounts amounts;
    bool valid;
  };
  const Range ranges[] = {
      {{40, 60}, true}, {{1, 1}, true},    {{1, MaxSigninAmount}, true},
      {{0, 10}, false}, {{30, 20}, false}, {{5, MaxSigninAmount + 1}, false},
  };
  for (const Range& range : ranges) {
    EXPECT_EQ(AreValidSigninAmounts(range.amounts), range.valid)
        << range.amounts.least << " " << range.amounts.most;
  }
  // The default pays enough to play and to survive a wrong guess (at most
  // 10) after the first sign-in.
  EXPECT_GT(SigninAmounts{}.least - 10, PlayThreshold);
  bool seen[21] = {};
  for (int draw = 0; draw < 2000; ++draw) {
    const std::int32_t amount = DrawSigninAmount({40, 60});
    ASSERT_GE(amount, 40);
    ASSERT_LE(amount, 60);
    seen[amount - 40] = true;
  }
  EXPECT_EQ(std::count(std::begin(seen), std::end(seen), false), 0) << "every amount comes up";
  EXPECT_EQ(DrawSigninAmount({MaxSigninAmount, MaxSigninAmount}), MaxSigninAmount);
}

TEST(SigninReplies, TellTheMemberWhatHappened) {
  struct Case {
    Signin signin;
    const char* reply;
  };
  const Case cases[] = {
      {{SigninOutcome::SignedIn, 47, Text("3"), Text("120.5")},
       "签到成功~！本次获得：47元。。\r\n你当前有：120.5元，共签到3次~！"},
      {{SigninOutcome::AlreadySignedIn, 0, Text("3"), Text("120.5")},
       "你今天已经签到过了~！\r\n你当前有：120.5元~！"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SigninReply(c.signin), c.reply);
  }
  EXPECT_EQ(BalanceReply("0"), "你当前有：0元~！");
}

TEST(SigninReplies, StandingsShowTheTopTenUnderTheirNames) {
  EXPECT_EQ(StandingsReply({}, [](TextView) { return Text(); }), "本群还没有人有人民币~！");
  std::vector<MemberBalance> members;
  for (int n = 12; n >= 1; --n) {
    members.push_back({Text(std::to_string(n)), Text(std::to_string(n * 10)), n * 10.0});
  }
  const Text reply = StandingsReply(
      members, [](TextView member) { return member == "12" ? Text("小明") : Text(member); });
  EXPECT_EQ(
      reply,
      "本群人民币排行：\r\n1. 小明：120元\r\n2. 11：110元\r\n3. 10：100元\r\n4. 9：90元"
      "\r\n5. 8：80元\r\n6. 7：70元\r\n7. 6：60元\r\n8. 5：50元\r\n9. 4：40元\r\n10. 3：30元");
}

}  // namespace
}  // namespace zorvane
