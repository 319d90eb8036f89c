// A long game: a group follows the site's chain of riddles through many
// pages, with every reply, balance, request and stored value checked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/contract.h"
#include "game_session.h"

namespace zorvane::testing {
namespace {

class LongGame : public GameTest {};

TEST_F(LongGame, TwentyFiveRiddlesInARow) {
  constexpr int Riddles = 25;
  const std::vector<RiddleChainLink> chain =
      MakeRiddleChain(std::string(InitialRiddlePath), Riddles + 1);
  site_.SetChain(chain);
  const std::string group = "530000001";
  const std::string solver = "111";
  const std::string guesser = "222";
  double solverBalance = 60.5;
  double guesserBalance = 1000;
  SetBalance(group, solver, BalanceText(solverBalance));
  SetBalance(group, guesser, BalanceText(guesserBalance));

  ASSERT_EQ(Say(group, solver, "开始"), chain[0].riddle.question);
  ASSERT_EQ(TakeRequests(), (std::vector<std::string>{chain[0].path, chain[0].path}));

  for (int i = 0; i < Riddles; ++i) {
    SCOPED_TRACE("riddle " + std::to_string(i + 1));
    const RiddleChainLink& current = chain[i];
    const RiddleChainLink& next = chain[i + 1];

    // An earlier answer, or none, is a wrong guess.
    const std::string wrong = i == 0 ? "猜不出来" : "是" + chain[i - 1].riddle.answer + "吗";
    guesserBalance -= ExpectWrongGuessReply(Say(group, guesser, wrong));
    EXPECT_EQ(Balance(group, guesser), BalanceText(guesserBalance));
    EXPECT_TRUE(TakeRequests().empty());
    EXPECT_EQ(State(group, AnswerKey), current.riddle.answer);

    solverBalance += ExpectCorrectGuessReply(
        Say(group, solver, "我知道了：" + current.riddle.answer), next.riddle.question);
    EXPECT_EQ(Balance(group, solver), BalanceText(solverBalance));
    EXPECT_EQ(TakeRequests(), (std::vector<std::string>{current.path, next.path, next.path}));
    EXPECT_EQ(State(group, CurrentPathKey), next.path);
    EXPECT_EQ(State(group, AnswerKey), next.riddle.answer);
    ASSERT_FALSE(HasFailure());
  }
  EXPECT_GE(solverBalance, 60.5 + 20 * Riddles);
}

}  // namespace
}  // namespace zorvane::testing
