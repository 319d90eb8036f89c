#include "demo.h"

#include <cmath>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "riddle_catalog.h"

namespace host_simulator {
namespace {

using riddle_site::Riddle;

constexpr std::string_view StartCommand = "开始";
constexpr std::string_view RewardPrefix = "恭喜猜对 了~！ 本次收获：";
constexpr std::string_view RewardMiddle = "元。。\r\n";
constexpr std::string_view PenaltyPrefix = "不好意思答错了~！再接再厉。。~！\r\n本次扣除：";
constexpr std::string_view PenaltySuffix = "元";
constexpr std::string_view RefusalPrefix = "对不起，你当前没有更多人民币参加游戏~！";

constexpr double PlayThreshold = 20.0;
constexpr int RiddlesToSolve = 4;

// Thrown by a failed check; ends the demo.
struct DemoFailure {
  std::string why;
};

void Expect(bool condition, const std::string& why) {
  if (!condition) {
    throw DemoFailure{why};
  }
}

void ExpectBalanceChange(const Exchange& exchange, double change) {
  const double expected = exchange.balanceBefore + change;
  Expect(std::abs(exchange.balanceAfter - expected) < 1e-6,
         "the balance went from " + std::to_string(exchange.balanceBefore) + " to " +
             std::to_string(exchange.balanceAfter) + ", expected " + std::to_string(expected));
}

// The amount in reply = prefix + digits + rest; the rest goes to rest.
std::optional<int> AmountAfter(std::string_view reply, std::string_view prefix,
                               std::string_view& rest) {
  if (!reply.starts_with(prefix)) {
    return std::nullopt;
  }
  reply.remove_prefix(prefix.size());
  const std::size_t digits = reply.find_first_not_of("0123456789");
  if (digits == 0 || digits == reply.npos || digits > 3) {
    return std::nullopt;
  }
  rest = reply.substr(digits);
  return std::stoi(std::string(reply.substr(0, digits)));
}

void Step(std::string_view title, const std::string& message) {
  std::cout << "\n-- " << title << ": ";
  Say(message);
  std::cout << "\n";
}

void ExpectPlayable(const Exchange& exchange) {
  Expect(!std::string_view(exchange.reply).starts_with(RefusalPrefix),
         "the member was refused although the balance was above 20");
}

// A guess that cannot be right: another riddle's answer that does not hold
// this one's.
std::string WrongGuessFor(const Riddle& riddle) {
  for (const Riddle* other = &riddle_site::NextRiddle(riddle); other != &riddle;
       other = &riddle_site::NextRiddle(*other)) {
    if (other->answer.find(riddle.answer) == std::string_view::npos) {
      return std::string(other->answer);
    }
  }
  return "?";
}

const Riddle& StartGame(Session& session) {
  Step("start command", std::string(StartCommand));
  const Exchange started = session.Send(std::string(StartCommand));
  ExpectPlayable(started);
  Expect(!started.reply.empty(),
         "no reply to the start command: is the riddle site running where the module looks?");
  const Riddle* riddle = riddle_site::FindRiddleByQuestion(started.reply);
  Expect(riddle != nullptr, "the start command's reply is no question of the riddle site");
  ExpectBalanceChange(started, 0);

  Step("start command again (shows the same riddle)", std::string(StartCommand));
  const Exchange again = session.Send(std::string(StartCommand));
  Expect(again.reply == riddle->question, "a second start command showed another riddle");
  ExpectBalanceChange(again, 0);
  return *riddle;
}

void GuessWrong(Session& session, const Riddle& riddle) {
  const std::string guess = WrongGuessFor(riddle);
  Step("wrong guess", guess);
  const Exchange wrong = session.Send(guess);
  ExpectPlayable(wrong);
  std::string_view rest;
  const std::optional<int> penalty = AmountAfter(wrong.reply, PenaltyPrefix, rest);
  Expect(penalty && rest == PenaltySuffix, "the reply to a wrong guess has the wrong form");
  Expect(*penalty >= 2 && *penalty <= 10, "the penalty is outside 2 to 10");
  ExpectBalanceChange(wrong, -*penalty);
}

const Riddle& GuessRight(Session& session, const Riddle& riddle, bool bare) {
  const std::string answer(riddle.answer);
  const std::string guess = bare ? answer : "我猜是" + answer + "吧";
  Step(bare ? "right answer" : "right answer inside a sentence", guess);
  const Exchange right = session.Send(guess);
  ExpectPlayable(right);
  std::string_view rest;
  const std::optional<int> reward = AmountAfter(right.reply, RewardPrefix, rest);
  Expect(reward && rest.starts_with(RewardMiddle), "the reply to a right guess has the wrong form");
  Expect(*reward >= 20 && *reward <= 30, "the reward is outside 20 to 30");
  const Riddle& next = riddle_site::NextRiddle(riddle);
  Expect(rest.substr(RewardMiddle.size()) == next.question,
         "the reply to a right guess does not carry the next riddle's question");
  ExpectBalanceChange(right, *reward);
  return next;
}

void CheckDescriptor(Session& session) {
  const std::string descriptor = session.ShowDescriptor();
  std::size_t lines = 0;
  for (std::size_t at = descriptor.find("\r\n"); at != descriptor.npos;
       at = descriptor.find("\r\n", at + 2)) {
    ++lines;
  }
  Expect(descriptor.starts_with("Zorvane\r\n") && descriptor.ends_with("\r\n") && lines == 10,
         "the descriptor is not ten lines starting with Zorvane");
}

// The demo needs a member who may play; the sign-in module pays out when
// earlier games have used the money up.
void MakeMemberPlayable(const SigninLedger& ledger) {
  if (ledger.Balance() - PlayThreshold > 1e-7) {
    return;
  }
  std::cout << "(the member holds 20 or less: the demo gives them " << StartingBalance << ")\n";
  Expect(ledger.SetBalance(StartingBalance), "cannot write " + ledger.FilePath());
}

}  // namespace

int RunDemo(Session& session, const SigninLedger& ledger) {
  try {
    CheckDescriptor(session);
    MakeMemberPlayable(ledger);
    session.ShowBalance();
    const Riddle* riddle = &StartGame(session);
    GuessWrong(session, *riddle);
    for (int solved = 0; solved < RiddlesToSolve; ++solved) {
      riddle = &GuessRight(session, *riddle, solved == 0);
    }
  } catch (const DemoFailure& failure) {
    std::cout << "\ndemo FAILED: " << failure.why << std::endl;
    return 1;
  }
  std::cout << "\ndemo passed: " << RiddlesToSolve << " riddles solved" << std::endl;
  return 0;
}

}  // namespace host_simulator
