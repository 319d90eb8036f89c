// The game played through the exports of the loaded module, against a
// riddle site on the loopback interface.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "game/contract.h"
#include "game_session.h"

namespace zorvane::testing {
namespace {

class GamePlay : public GameTest {
 protected:
  GamePlay() : chain_(MakeRiddleChain(std::string(InitialRiddlePath), 6)) {
    site_.SetChain(chain_);
  }

  const Riddle& RiddleAt(std::size_t index) const { return chain_[index].riddle; }
  const std::string& PathAt(std::size_t index) const { return chain_[index].path; }

  std::vector<RiddleChainLink> chain_;
};

TEST_F(GamePlay, TwoGroupsPlaySeveralRiddlesEachOnTheirOwnPosition) {
  SetBalance("1001", "7", "50");
  SetBalance("2002", "7", "80");

  // First start command in a group: its file is born on the first page.
  EXPECT_EQ(Say("1001", "7", "开始"), RiddleAt(0).question);
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{PathAt(0), PathAt(0)}));
  EXPECT_EQ(State("1001", CurrentPathKey), PathAt(0));
  EXPECT_EQ(State("1001", AnswerKey), RiddleAt(0).answer);
  EXPECT_EQ(Balance("1001", "7"), "50");

  const std::int32_t penalty = ExpectWrongGuessReply(Say("1001", "7", "我猜是火"));
  EXPECT_TRUE(TakeRequests().empty());
  EXPECT_EQ(Balance("1001", "7"), BalanceText(50 - penalty));
  EXPECT_EQ(State("1001", AnswerKey), RiddleAt(0).answer);

  // The answer anywhere in the message wins and moves the group on.
  const std::int32_t reward = ExpectCorrectGuessReply(
      Say("1001", "7", "是不是" + RiddleAt(0).answer + "呀"), RiddleAt(1).question);
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{PathAt(0), PathAt(1), PathAt(1)}));
  EXPECT_EQ(Balance("1001", "7"), BalanceText(50 - penalty + reward));
  EXPECT_EQ(State("1001", CurrentPathKey), PathAt(1));
  EXPECT_EQ(State("1001", AnswerKey), RiddleAt(1).answer);

  // The other group starts from the beginning; the same member number there
  // has a balance of its own.
  EXPECT_EQ(Say("2002", "7", "开始"), RiddleAt(0).question);
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{PathAt(0), PathAt(0)}));
  const std::int32_t reward2 =
      ExpectCorrectGuessReply(Say("2002", "7", RiddleAt(0).answer), RiddleAt(1).question);
  EXPECT_EQ(Balance("2002", "7"), BalanceText(80 + reward2));
  EXPECT_EQ(Balance("1001", "7"), BalanceText(50 - penalty + reward));
  TakeRequests();

  // An old answer no longer wins in the group that moved past it.
  ExpectWrongGuessReply(Say("1001", "7", RiddleAt(0).answer));
  EXPECT_TRUE(TakeRequests().empty());

  ExpectCorrectGuessReply(Say("1001", "7", RiddleAt(1).answer), RiddleAt(2).question);
  ExpectCorrectGuessReply(Say("1001", "7", RiddleAt(2).answer), RiddleAt(3).question);
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{PathAt(1), PathAt(2), PathAt(2), PathAt(2),
                                                      PathAt(3), PathAt(3)}));
  EXPECT_EQ(State("1001", CurrentPathKey), PathAt(3));
  EXPECT_EQ(State("2002", CurrentPathKey), PathAt(1));
  EXPECT_EQ(State("2002", AnswerKey), RiddleAt(1).answer);

  // A start command shows the current riddle again without moving or paying.
  const std::string before = Balance("1001", "7");
  EXPECT_EQ(Say("1001", "7", "开始"), RiddleAt(3).question);
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{PathAt(3), PathAt(3)}));
  EXPECT_EQ(Balance("1001", "7"), before);
  EXPECT_EQ(State("1001", CurrentPathKey), PathAt(3));
}

TEST_F(GamePlay, OnlyGroupMessagesAreAnswered) {
  SetBalance("1001", "7", "50");
  const std::string snapshot = Snapshot();
  for (const char* type : {"1", "02", "2 ", "", "4"}) {
    EXPECT_EQ(module_.Event("开始", type, "1001", "7"), "") << type;
  }
  EXPECT_EQ(module_.Event("开始", nullptr, "1001", "7"), "");
  EXPECT_EQ(Snapshot(), snapshot);
  EXPECT_TRUE(TakeRequests().empty());
}

TEST_F(GamePlay, MembersAtOrBelowTwentyAreRefusedWithTheStoredText) {
  SetBalance("1001", "20", "20");
  SetBalance("1001", "19", "19.5");
  SetBalance("1001", "200", "20.0");
  SetBalance("1001", "21", "20.5");
  const std::string snapshot = Snapshot();

  EXPECT_EQ(Say("1001", "20", "开始"), RefusalShowing("20"));
  EXPECT_EQ(Say("1001", "19", "开始"), RefusalShowing("19.5"));
  // Shown as stored, not reformatted.
  EXPECT_EQ(Say("1001", "200", "开始"), RefusalShowing("20.0"));
  // No key at all reads as 0 and shows nothing between the marks.
  EXPECT_EQ(Say("1001", "5", "开始"), RefusalShowing(""));
  EXPECT_EQ(Snapshot(), snapshot);
  EXPECT_TRUE(TakeRequests().empty());

  EXPECT_EQ(Say("1001", "21", "开始"), RiddleAt(0).question);
  // With a riddle open, a guess from a member at the threshold is refused too.
  EXPECT_EQ(Say("1001", "20", RiddleAt(0).answer), RefusalShowing("20"));
  EXPECT_EQ(Balance("1001", "20"), "20");
  EXPECT_EQ(State("1001", AnswerKey), RiddleAt(0).answer);
}

TEST_F(GamePlay, AStartCommandIsAtMostSixBytes) {
  SetBalance("1001", "7", "100");
  EXPECT_EQ(Say("1001", "7", "开始"), RiddleAt(0).question);
  EXPECT_EQ(Say("1001", "7", "开始吧"), RiddleAt(0).question);
  EXPECT_EQ(Say("1001", "7", "go开始"), RiddleAt(0).question);
  EXPECT_EQ(TakeRequests().size(), 6u);
  EXPECT_EQ(Balance("1001", "7"), "100");

  // Seven bytes: a guess, judged against the open riddle.
  const std::int32_t penalty = ExpectWrongGuessReply(Say("1001", "7", "开始abc"));
  EXPECT_EQ(Balance("1001", "7"), BalanceText(100 - penalty));
  EXPECT_TRUE(TakeRequests().empty());

  // A start command that holds the answer is still only a start command.
  site_.SetRiddle(PathAt(0), {"两个字？", "开始", PathAt(1)});
  EXPECT_EQ(Say("1001", "7", "开始"), "两个字？");
  EXPECT_EQ(State("1001", AnswerKey), "开始");
  EXPECT_EQ(Say("1001", "7", "开始了"), "两个字？");
  EXPECT_EQ(State("1001", CurrentPathKey), PathAt(0));
  EXPECT_EQ(Balance("1001", "7"), BalanceText(100 - penalty));
}

TEST_F(GamePlay, AWrongGuessChargesThePenaltyInTheSignInForm) {
  SetBalance("1001", "7", "20.3");
  ASSERT_EQ(Say("1001", "7", "开始"), RiddleAt(0).question);
  std::set<std::int32_t> seen;
  for (int round = 0; round < 400 && seen.size() < 9; ++round) {
    SetBalance("1001", "7", "20.3");
    const std::int32_t penalty = ExpectWrongGuessReply(Say("1001", "7", "不知道"));
    seen.insert(penalty);
    ASSERT_EQ(Balance("1001", "7"), BalanceText(20.3 - penalty));
  }
  // Every penalty from 2 to 10 occurs; 20.3 - 3 is written as "17.3".
  EXPECT_EQ(seen, (std::set<std::int32_t>{2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(BalanceText(20.3 - 3), "17.3");

  // Below the threshold now: refused, and the balance stays.
  SetBalance("1001", "7", "20.5");
  const std::int32_t penalty = ExpectWrongGuessReply(Say("1001", "7", "不知道"));
  const std::string left = BalanceText(20.5 - penalty);
  EXPECT_EQ(Balance("1001", "7"), left);
  EXPECT_EQ(Say("1001", "7", "不知道"), RefusalShowing(left));
  EXPECT_EQ(Balance("1001", "7"), left);
}

TEST_F(GamePlay, ACorrectGuessPaysTheRewardAndOpensTheNextRiddle) {
  SetBalance("1001", "7", "50");
  ASSERT_EQ(Say("1001", "7", "开始"), RiddleAt(0).question);
  TakeRequests();
  const std::int32_t reward =
      ExpectCorrectGuessReply(Say("1001", "7", RiddleAt(0).answer), RiddleAt(1).question);
  // A whole balance is written without a decimal point.
  EXPECT_EQ(Balance("1001", "7"), std::to_string(50 + reward));
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{PathAt(0), PathAt(1), PathAt(1)}));
  EXPECT_EQ(State("1001", CurrentPathKey), PathAt(1));
  EXPECT_EQ(State("1001", AnswerKey), RiddleAt(1).answer);

  SetBalance("1001", "7", "100.25");
  const std::int32_t reward2 =
      ExpectCorrectGuessReply(Say("1001", "7", RiddleAt(1).answer), RiddleAt(2).question);
  EXPECT_EQ(Balance("1001", "7"), BalanceText(100.25 + reward2));
}

TEST_F(GamePlay, TheSiteDownAtAStartCommandGivesNoReplyAndOpensNoRiddle) {
  SetBalance("1001", "7", "50");
  module_.ConfigureForTesting(runDir_.str().c_str(), UnreachableSiteBase(),
                              site_.base() + "/update.html");
  EXPECT_EQ(Say("1001", "7", "开始"), "");
  EXPECT_EQ(State("1001", CurrentPathKey), InitialRiddlePath);
  EXPECT_EQ(State("1001", AnswerKey), "");
  EXPECT_EQ(Balance("1001", "7"), "50");

  // Nothing is open, so nothing is paid for and nothing is charged.
  EXPECT_EQ(Say("1001", "7", "随便说说"), "");
  EXPECT_EQ(Balance("1001", "7"), "50");

  module_.ConfigureForTesting(runDir_.str().c_str(), site_.base(), site_.base() + "/update.html");
  EXPECT_EQ(Say("1001", "7", "开始"), RiddleAt(0).question);
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{PathAt(0), PathAt(0)}));
}

TEST_F(GamePlay, TheSiteDownAtACorrectGuessKeepsThePositionAndTheReward) {
  SetBalance("1001", "7", "50");
  ASSERT_EQ(Say("1001", "7", "开始"), RiddleAt(0).question);
  module_.ConfigureForTesting(runDir_.str().c_str(), UnreachableSiteBase(),
                              site_.base() + "/update.html");

  const std::int32_t reward = ExpectCorrectGuessReply(Say("1001", "7", RiddleAt(0).answer), "");
  EXPECT_EQ(Balance("1001", "7"), std::to_string(50 + reward));
  EXPECT_EQ(State("1001", CurrentPathKey), PathAt(0));
  EXPECT_EQ(State("1001", AnswerKey), "");
  // The riddle is closed: the same answer pays no more.
  EXPECT_EQ(Say("1001", "7", RiddleAt(0).answer), "");
  EXPECT_EQ(Balance("1001", "7"), std::to_string(50 + reward));

  // The site back, a start command moves on from the solved riddle.
  module_.ConfigureForTesting(runDir_.str().c_str(), site_.base(), site_.base() + "/update.html");
  TakeRequests();
  EXPECT_EQ(Say("1001", "7", "开始"), RiddleAt(1).question);
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{PathAt(0), PathAt(1), PathAt(1)}));
  EXPECT_EQ(State("1001", AnswerKey), RiddleAt(1).answer);
}

}  // namespace
}  // namespace zorvane::testing
