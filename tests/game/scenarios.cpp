#include "scenarios.h"

#include <map>

#include "game/contract.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game_session.h"
#include "signin/daily_signin.h"
#include "signin/signin_replies.h"

namespace zorvane::testing {
namespace {

// The site's chain from the first page; riddle i links to riddle i + 1.
std::vector<RiddleChainLink> ServeChain(ScenarioPlayer& p, int count) {
  std::vector<RiddleChainLink> chain = MakeRiddleChain(std::string(InitialRiddlePath), count);
  p.site().SetChain(chain);
  return chain;
}

std::vector<std::string> Repeated(const std::string& path, std::size_t times) {
  return std::vector<std::string>(times, path);
}

// Twenty riddles in a row in each of two groups, turn about, with GBK group
// and member names: every reply, balance, stored value and request checked.
void TwentyRiddlesInTwoGroups(ScenarioPlayer& p) {
  constexpr int Riddles = 20;
  const auto chain = ServeChain(p, Riddles + 1);
  const std::vector<std::string> groups = {"谜语群", "猜谜乐园"};
  const std::string solver = "张三";
  const std::string guesser = "李四丰";
  p.Info();
  for (const std::string& group : groups) {
    p.SetBalance(group, solver, "60.5");
    p.SetBalance(group, guesser, "1000");
    ASSERT_EQ(p.Say(group, solver, "开始"), chain[0].riddle.question);
    ASSERT_EQ(p.TakeRequests(), Repeated(chain[0].path, 2));
  }
  for (int i = 0; i < Riddles; ++i) {
    SCOPED_TRACE("riddle " + std::to_string(i + 1));
    const RiddleChainLink& current = chain[i];
    const RiddleChainLink& next = chain[i + 1];
    for (const std::string& group : groups) {
      const std::string wrong = i == 0 ? "猜不出来" : "是" + chain[i - 1].riddle.answer + "吗";
      p.ExpectWrongGuess(group, guesser, wrong);
      EXPECT_TRUE(p.TakeRequests().empty());
      p.ExpectCorrectGuess(group, solver, "我知道了：" + current.riddle.answer,
                           next.riddle.question);
      EXPECT_EQ(p.TakeRequests(), (std::vector<std::string>{current.path, next.path, next.path}));
      EXPECT_EQ(p.State(group, CurrentPathKey), next.path);
      EXPECT_EQ(p.State(group, AnswerKey), next.riddle.answer);
    }
    ASSERT_FALSE(::testing::Test::HasFailure());
  }
  EXPECT_GE(std::stod(p.Balance(groups[1], solver)), 60.5 + 20 * Riddles);
}

// Members at or below twenty are refused with their stored balance; only
// group messages are answered; null arguments read as empty texts.
void RefusalsOtherMessageTypesAndNullArguments(ScenarioPlayer& p) {
  ServeChain(p, 2);
  p.Info();
  p.SetBalance("1001", "20", "20");
  p.SetBalance("1001", "19", "19.5");
  p.SetBalance("1001", "200", "20.0");
  p.SetBalance("1001", "7", "50");
  const std::string before = p.Snapshot();
  EXPECT_EQ(p.Say("1001", "20", "开始"), RefusalShowing("20"));
  EXPECT_EQ(p.Say("1001", "19", "开始"), RefusalShowing("19.5"));
  EXPECT_EQ(p.Say("1001", "200", "开始"), RefusalShowing("20.0"));
  EXPECT_EQ(p.Say("1001", "5", "开始"), RefusalShowing(""));
  for (const char* type : {"1", "02", "2 ", "", "4"}) {
    EXPECT_EQ(p.backend().Event("开始", type, "1001", "7", ""), "") << type;
  }
  EXPECT_EQ(p.backend().Event("开始", nullptr, "1001", "7", ""), "");
  EXPECT_EQ(p.backend().Event(nullptr, nullptr, nullptr, nullptr, nullptr), "");
  EXPECT_EQ(p.backend().Event("开始", "2", nullptr, "7", nullptr), "");
  EXPECT_EQ(p.backend().Event("开始", "2", "1001", nullptr, nullptr), "");
  EXPECT_EQ(p.Snapshot(), before);
  EXPECT_TRUE(p.TakeRequests().empty());

  // A null message and extra with a riddle open: an empty guess, wrong.
  EXPECT_EQ(p.Say("1001", "7", "开始"),
            MakeRiddleChain(std::string(InitialRiddlePath), 1)[0].riddle.question);
  const std::string reply = p.backend().Event(nullptr, "2", "1001", "7", nullptr);
  EXPECT_TRUE(AmountInReply(reply, WrongGuessReplyHead).has_value()) << reply;
}

// Groups and members that would leave the folder, break a settings file or
// name a Windows device never reach a file or the site.
void UnsafeGroupsAndMembers(ScenarioPlayer& p) {
  ServeChain(p, 2);
  p.Info();
  p.SetBalance("1001", "7", "100");
  ASSERT_NE(p.Say("1001", "7", "开始"), "");
  p.TakeRequests();
  const std::vector<std::string> unsafe = {"..",       "../1001", "a\\b",  "a:b",    "[a]",
                                           "a=b",      "淺",      "群淺1", "CON",    "nul",
                                           "com1.ini", "Lpt9",    "AUX",   "prn.txt"};
  const std::string before = p.Snapshot();
  for (const std::string& name : unsafe) {
    for (const std::string message : {"开始", "谜底01", "不对"}) {
      EXPECT_EQ(p.Say(name, "7", message), "") << name;
      EXPECT_EQ(p.Say("1001", name, message), "") << name;
    }
  }
  EXPECT_EQ(p.Snapshot(), before);
  EXPECT_TRUE(p.TakeRequests().empty());
}

// The site down at a start command and at a correct guess, and back again.
void SiteDownAndBack(ScenarioPlayer& p) {
  const auto chain = ServeChain(p, 3);
  p.Info();
  p.SetBalance("1001", "7", "50");
  p.SiteDown();
  EXPECT_EQ(p.Say("1001", "7", "开始"), "");
  EXPECT_EQ(p.State("1001", CurrentPathKey), std::string(InitialRiddlePath));
  EXPECT_EQ(p.State("1001", AnswerKey), "");
  EXPECT_EQ(p.Say("1001", "7", "随便说说"), "");
  EXPECT_EQ(p.Balance("1001", "7"), "50");

  p.SiteUp();
  EXPECT_EQ(p.Say("1001", "7", "开始"), chain[0].riddle.question);
  EXPECT_EQ(p.TakeRequests(), Repeated(chain[0].path, 2));

  // The reward stands; the group stays on its page with no riddle open.
  p.SiteDown();
  p.ExpectCorrectGuess("1001", "7", chain[0].riddle.answer, "");
  EXPECT_EQ(p.State("1001", CurrentPathKey), chain[0].path);
  EXPECT_EQ(p.State("1001", AnswerKey), "");
  const std::string balance = p.Balance("1001", "7");
  EXPECT_EQ(p.Say("1001", "7", chain[0].riddle.answer), "");
  EXPECT_EQ(p.Balance("1001", "7"), balance);

  // Back again, a start command moves on from the solved riddle.
  p.SiteUp();
  EXPECT_EQ(p.Say("1001", "7", "开始"), chain[1].riddle.question);
  EXPECT_EQ(p.TakeRequests(),
            (std::vector<std::string>{chain[0].path, chain[1].path, chain[1].path}));
  p.ExpectCorrectGuess("1001", "7", chain[1].riddle.answer, chain[2].riddle.question);
  EXPECT_EQ(p.State("1001", CurrentPathKey), chain[2].path);
}

// The sign-in module rewrites the ledger between two events: the game sees
// the new balance and keeps everything else that file holds.
void LedgerChangedBetweenEvents(ScenarioPlayer& p) {
  const auto chain = ServeChain(p, 2);
  p.Info();
  p.SetBalance("1001", "7", "50");
  ASSERT_EQ(p.Say("1001", "7", "开始"), chain[0].riddle.question);
  p.ExpectWrongGuess("1001", "7", "不知道");

  p.SetBalance("1001", "7", "500.25");
  p.SetBalance("1001", "8", "33");
  WriteFileBytes(p.LedgerFile("1001"), WriteSettingToBytes(ReadFileBytes(p.LedgerFile("1001")),
                                                           "签到--1001", "签到天数", "12"));
  p.ExpectWrongGuess("1001", "7", "还是不知道");
  const std::string ledger = ReadFileBytes(p.LedgerFile("1001"));
  EXPECT_EQ(ReadSettingFromBytes(ledger, LedgerSection("8", "1001"), BalanceKey), "33");
  EXPECT_EQ(ReadSettingFromBytes(ledger, "签到--1001", "签到天数"), "12");

  // A member whose balance fell to the threshold elsewhere is refused at once.
  p.SetBalance("1001", "7", "20");
  EXPECT_EQ(p.Say("1001", "7", chain[0].riddle.answer), RefusalShowing("20"));
}

// A run folder and a host program whose names hold GBK characters, one of
// them with 0x5C as its second byte: the game's files land in that folder.
void GbkRunFolderAndHostName(ScenarioPlayer& p) {
  const auto chain = ServeChain(p, 3);
  p.Info();
  EXPECT_TRUE(
      std::filesystem::is_directory(p.backend().LocalPath(std::string(GameFolderPath(".")))));
  p.SetBalance("谜语群", "张三", "50");
  EXPECT_EQ(p.Say("谜语群", "张三", "开始"), chain[0].riddle.question);
  p.ExpectWrongGuess("谜语群", "张三", "不对");
  p.ExpectCorrectGuess("谜语群", "张三", chain[0].riddle.answer, chain[1].riddle.question);
  EXPECT_EQ(p.State("谜语群", CurrentPathKey), chain[1].path);
  EXPECT_TRUE(std::filesystem::is_regular_file(p.StateFile("谜语群")));
}

// A run folder so deep that the ledger's path is close to the 259
// characters that Windows allows: the module's temporary files beside the
// game's files must not be longer than those files' own paths.
void DeepRunFolder(ScenarioPlayer& p) {
  const auto chain = ServeChain(p, 2);
  p.Info();
  p.SetBalance("1001", "7", "50");
  EXPECT_EQ(p.Say("1001", "7", "开始"), chain[0].riddle.question);
  EXPECT_EQ(p.State("1001", AnswerKey), chain[0].riddle.answer);
  p.ExpectWrongGuess("1001", "7", "不对");
  p.ExpectCorrectGuess("1001", "7", chain[0].riddle.answer, chain[1].riddle.question);
}

// Before the first info call the game folder is missing: what the game
// writes is lost, and nothing breaks. info makes the folder.
void ZorvaneBeforeInfo(ScenarioPlayer& p) {
  const auto chain = ServeChain(p, 2);
  p.SetBalance("1001", "7", "50");
  // No state file could be made, so there is no page to fetch and show.
  EXPECT_EQ(p.Say("1001", "7", "开始"), "");
  EXPECT_FALSE(std::filesystem::exists(p.backend().LocalPath(std::string(GameFolderPath(".")))));
  EXPECT_EQ(p.Say("1001", "7", chain[0].riddle.answer), "");
  EXPECT_EQ(p.Balance("1001", "7"), "50");
  p.TakeRequests();

  EXPECT_EQ(p.Info().rfind("Zorvane\r\n1.1\r\n", 0), 0u);
  EXPECT_TRUE(
      std::filesystem::is_directory(p.backend().LocalPath(std::string(GameFolderPath(".")))));
  EXPECT_EQ(p.Say("1001", "7", "开始"), chain[0].riddle.question);
  p.ExpectCorrectGuess("1001", "7", chain[0].riddle.answer, chain[1].riddle.question);
}

// Unloading lets the module leave the process; loaded again, it carries on
// from its files.
void UnloadAndReload(ScenarioPlayer& p) {
  const auto chain = ServeChain(p, 3);
  const std::vector<std::string> exports = p.backend().Exports();
  EXPECT_EQ(exports.front(), "Zorvane");
  EXPECT_EQ(exports.back(), "info");
  p.Info();
  p.SetBalance("1001", "7", "50");
  ASSERT_EQ(p.Say("1001", "7", "开始"), chain[0].riddle.question);
  p.ExpectCorrectGuess("1001", "7", chain[0].riddle.answer, chain[1].riddle.question);

  EXPECT_TRUE(p.backend().Unload());
  p.backend().Load();
  EXPECT_EQ(p.backend().Exports(), exports);
  p.ExpectCorrectGuess("1001", "7", chain[1].riddle.answer, chain[2].riddle.question);
  EXPECT_EQ(p.State("1001", CurrentPathKey), chain[2].path);
  p.TakeRequests();
  EXPECT_TRUE(p.backend().Unload());
  p.backend().Load();
  EXPECT_EQ(p.Info().rfind("Zorvane\r\n", 0), 0u);
}

// The sign-in module beside the game in one host process, each message
// handed to the game and then to the sign-in module, as a host without
// command-word routing does: members sign in, play and ask for balances and
// standings, turn about. While a riddle is open the game takes the sign-in
// commands for guesses too. Each reply is checked whole, and after each
// message every balance is exactly what the replies paid and took.
void SigninModuleBesideTheGame(ScenarioPlayer& p) {
  const auto chain = ServeChain(p, 3);
  p.Info();
  p.backend().LoadSignin();
  EXPECT_EQ(p.backend().SigninInfo(),
            "ZorvaneSignin\r\n1.1\r\nTamsel\r\n"
            "特别说明：主程序没有签到插件时使用，与Zorvane共用人民币\r\n签到\r\n"
            "发送‘签到’、‘签到 余额’或‘签到 排行’\r\n\r\nZorvaneSignin\r\n1\r\n假\r\n");
  EXPECT_TRUE(p.TakeRequests().empty());  // the sign-in module never fetches
  const std::string group = "谜语群";
  std::map<std::string, double> held;  // by member
  std::map<std::string, int> signins;

  // What a reply must be: these stand for a payment of the sign-in, a wrong
  // guess, a correct one before the next question, and a sign-in reply that
  // the caller checks once the game's amount has moved the balance; any
  // other text for itself.
  const std::string paid = "(paid)";
  const std::string wrong = "(wrong)";
  const std::string right = "(right)";
  const std::string checkedAfter = "(checked after)";
  // Sends message from member and checks both replies, the game's first as
  // the host calls it first; an amount in a reply moves the member's
  // balance by that much. Returns the sign-in module's reply.
  const auto say = [&](const std::string& member, const std::string& message,
                       const std::string& gameReply, const std::string& signinReply) {
    SCOPED_TRACE(member + ": " + message);
    const ScenarioPlayer::Replies replies = p.SayToBoth(group, member, message);
    if (gameReply == wrong) {
      held[member] -= ExpectWrongGuessReply(replies.game);
    } else if (gameReply.starts_with(right)) {
      held[member] += ExpectCorrectGuessReply(replies.game, gameReply.substr(right.size()));
    } else {
      EXPECT_EQ(replies.game, gameReply);
    }
    if (signinReply == paid) {
      const std::int32_t amount = AmountInReply(replies.signin, SigninPaidReplyHead).value_or(0);
      EXPECT_GE(amount, SigninAmounts{}.least) << replies.signin;
      EXPECT_LE(amount, SigninAmounts{}.most);
      held[member] += amount;
      ++signins[member];
      EXPECT_EQ(replies.signin, std::string(SigninReply({SigninOutcome::SignedIn, amount,
                                                         Text(std::to_string(signins[member])),
                                                         Text(BalanceText(held[member]))})));
    } else if (signinReply != checkedAfter) {
      EXPECT_EQ(replies.signin, signinReply);
    }
    for (const auto& [someone, balance] : held) {
      EXPECT_EQ(p.Balance(group, someone), BalanceText(balance)) << someone;
    }
    return replies.signin;
  };
  const std::string already = "你今天已经签到过了~！\r\n";
  const auto balanceOf = [&](const std::string& member) {
    return std::string(BalanceReply(BalanceText(held[member])));
  };

  // No riddle is open yet: the game answers only its start command.
  say("张三", "开始", RefusalShowing(""), "");
  say("张三", "签到", "", paid);
  say("10002", "签到 余额", "", "你当前有：0元~！");
  say("张三", "开始", chain[0].riddle.question, "");
  // A member with nothing is refused by the game, then signed in.
  say("10002", "签到", RefusalShowing(""), paid);
  say("10002", "不知道", wrong, "");
  const std::string signedInAgain = say("张三", " 签到 ", wrong, checkedAfter);
  EXPECT_EQ(signedInAgain, already + balanceOf("张三"));
  say("张三", "签到啦", wrong, "");
  say("张三", chain[0].riddle.answer, right + chain[1].riddle.question, "");
  const std::string balance = say("10002", "余额", wrong, checkedAfter);
  EXPECT_EQ(balance, balanceOf("10002"));
  say("10002", "是" + chain[1].riddle.answer + "吧", right + chain[2].riddle.question, "");
  const std::string standings = say("10002", "排行", wrong, checkedAfter);
  const bool zhangLeads = held["张三"] >= held["10002"];
  const std::string first = zhangLeads ? "张三" : "10002";
  const std::string second = zhangLeads ? "10002" : "张三";
  EXPECT_EQ(standings, "本群人民币排行：\r\n1. " + first + "：" + BalanceText(held[first]) +
                           "元\r\n2. " + second + "：" + BalanceText(held[second]) + "元");
  EXPECT_EQ(p.State(group, CurrentPathKey), chain[2].path);

  // Nothing for other message types and unsafe names, and no file touched.
  const std::string before = p.Snapshot();
  EXPECT_EQ(p.backend().SigninEvent("签到", "1", group.c_str(), "张三", ""), "");
  for (const std::string unsafe : {"..", "a:b", "CON", "淺"}) {
    const ScenarioPlayer::Replies asMember = p.SayToBoth(group, unsafe, "签到");
    const ScenarioPlayer::Replies asGroup = p.SayToBoth(unsafe, "张三", "签到");
    EXPECT_EQ(asMember.game + asMember.signin + asGroup.game + asGroup.signin, "") << unsafe;
  }
  EXPECT_EQ(p.Snapshot(), before);
}

}  // namespace

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"TwentyRiddlesInTwoGroups", {}, TwentyRiddlesInTwoGroups},
      {"RefusalsOtherMessageTypesAndNullArguments", {}, RefusalsOtherMessageTypesAndNullArguments},
      {"UnsafeGroupsAndMembers", {}, UnsafeGroupsAndMembers},
      {"SiteDownAndBack", {}, SiteDownAndBack},
      {"LedgerChangedBetweenEvents", {}, LedgerChangedBetweenEvents},
      {"GbkRunFolderAndHostName", {"运行目录籠", "主机程序籠.exe"}, GbkRunFolderAndHostName},
      // Below "Z:\tmp\zorvane-test-XXXXXX\", 187 more characters make the
      // run directory 214 characters long and its ledger's path 238.
      {"DeepRunFolder", {std::string(187, 'd')}, DeepRunFolder},
      {"ZorvaneBeforeInfo", {}, ZorvaneBeforeInfo},
      {"UnloadAndReload", {}, UnloadAndReload},
      {"SigninModuleBesideTheGame", {}, SigninModuleBesideTheGame},
  };
  return scenarios;
}

}  // namespace zorvane::testing
