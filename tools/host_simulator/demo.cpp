#include "demo.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "game/contract.h"
#include "game/game_rules.h"
#include "game/ledger.h"
#include "host/command_word.h"
#include "riddles/riddle_catalog.h"
#include "runtime/settings/settings.h"
#include "signin/daily_signin.h"
#include "signin/signin_ledger.h"
#include "signin/signin_replies.h"

namespace host_simulator {
namespace {

using riddle_site::Riddle;
using riddle_site::RiddleCatalog;

constexpr int RiddlesToSolve = 5;
constexpr double Gift = 50;

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

// Types one line (UTF-8, as on the terminal) as the member would.
void Type(Host& host, std::string_view title, const std::string& line) {
  std::cout << "\n-- " << title << ": " << line << "\n";
  host.Handle(line);
}

// Types a message and returns what reached the module and came back.
Exchange Send(Host& host, std::string_view title, const std::string& message) {
  Type(host, title, message);
  Expect(host.lastExchange().has_value(), "the message never reached the module");
  return *host.lastExchange();
}

void ExpectPlayable(const Exchange& exchange) {
  Expect(!std::string_view(exchange.reply).starts_with(zorvane::RefusedReplyHead),
         "the member was refused although the balance was above " +
             std::to_string(static_cast<int>(zorvane::PlayThreshold)));
}

// A guess that cannot be right: another riddle's answer that does not hold
// this one's (UTF-8, as typed).
std::string WrongGuessFor(const RiddleCatalog& catalog, const Riddle& riddle) {
  for (const Riddle* other = &catalog.Next(riddle); other != &riddle;
       other = &catalog.Next(*other)) {
    if (other->answer.find(riddle.answer) == std::string_view::npos) {
      return ForTerminal(other->answer);
    }
  }
  return "?";
}

const Riddle& StartGame(Host& host, const RiddleCatalog& catalog) {
  const std::string command = ForTerminal(host.commandWord() + std::string(zorvane::StartWord));
  const Exchange started = Send(host, "start command with the command word", command);
  Expect(started.message == zorvane::StartWord, "the host did not take the command word off");
  ExpectPlayable(started);
  Expect(!started.reply.empty(),
         "no reply to the start command: is the riddle site running where the module looks?");
  const Riddle* riddle = catalog.FindByQuestion(started.reply);
  Expect(riddle != nullptr, "the start command's reply is no question of the riddle site");
  ExpectBalanceChange(started, 0);

  const Exchange again =
      Send(host, "start command again (shows the same riddle)", ForTerminal(zorvane::StartWord));
  Expect(again.reply == riddle->question, "a second start command showed another riddle");
  ExpectBalanceChange(again, 0);
  return *riddle;
}

void GuessWrong(Host& host, const RiddleCatalog& catalog, const Riddle& riddle) {
  const Exchange wrong = Send(host, "wrong guess", WrongGuessFor(catalog, riddle));
  ExpectPlayable(wrong);
  std::string_view rest;
  const std::optional<int> penalty = AmountAfter(wrong.reply, zorvane::WrongGuessReplyHead, rest);
  Expect(penalty && rest == zorvane::WrongGuessReplyTail,
         "the reply to a wrong guess has the wrong form");
  Expect(*penalty >= zorvane::PenaltyRange.low && *penalty <= zorvane::PenaltyRange.high,
         "the penalty is outside its range");
  ExpectBalanceChange(wrong, -*penalty);
}

const Riddle& GuessRight(Host& host, const RiddleCatalog& catalog, const Riddle& riddle,
                         bool bare) {
  const std::string answer = ForTerminal(riddle.answer);
  const std::string guess = bare ? answer : "我猜是" + answer + "吧";
  const Exchange right =
      Send(host, bare ? "right answer" : "right answer inside a sentence", guess);
  ExpectPlayable(right);
  std::string_view rest;
  const std::optional<int> reward = AmountAfter(right.reply, zorvane::CorrectGuessReplyHead, rest);
  Expect(reward && rest.starts_with(zorvane::CorrectGuessReplyMiddle),
         "the reply to a right guess has the wrong form");
  Expect(*reward >= zorvane::RewardRange.low && *reward <= zorvane::RewardRange.high,
         "the reward is outside its range");
  const Riddle& next = catalog.Next(riddle);
  Expect(rest.substr(zorvane::CorrectGuessReplyMiddle.size()) == next.question,
         "the reply to a right guess does not carry the next riddle's question");
  ExpectBalanceChange(right, *reward);
  return next;
}

// The sign-in module pays the member; the module's game is not involved.
void GiveMoney(Host& host) {
  const double before = host.Balance(host.member());
  Type(host, "the sign-in module pays", "/give " + std::to_string(static_cast<int>(Gift)));
  const double after = host.Balance(host.member());
  Expect(std::abs(after - (before + Gift)) < 1e-6, "/give did not add to the member's balance");
}

// A second member solves the open riddle; the balances list both, highest first.
const Riddle& AnotherMemberPlays(Host& host, const RiddleCatalog& catalog, const Riddle& riddle) {
  const std::string first = host.member();
  const std::string second = first + "1";
  Type(host, "switch member", "/member " + second);
  Expect(host.member() == second, "/member did not switch the member");
  const Riddle& next = GuessRight(host, catalog, riddle, true);
  Type(host, "back to the first member", "/member " + first);

  Type(host, "balances of the group", "/balances");
  const std::vector<zorvane::MemberBalance> members = host.Members();
  auto listed = [&](const std::string& member) {
    return std::any_of(members.begin(), members.end(), [&](const zorvane::MemberBalance& m) {
      return std::string_view(m.member) == member;
    });
  };
  Expect(listed(first) && listed(second), "/balances does not list both members");
  Expect(std::is_sorted(members.begin(), members.end(),
                        [](const zorvane::MemberBalance& a, const zorvane::MemberBalance& b) {
                          return a.value > b.value;
                        }),
         "/balances is not ordered highest first");
  return next;
}

// A message for the sign-in module. The game sees it too and, while a
// riddle is open, takes it for a guess: a wrong one, or refused for a poor
// member. Returns the exchange and what the game took.
struct SigninExchange {
  Exchange exchange;
  int charged = 0;
};
SigninExchange SendToSignin(Host& host, std::string_view title, std::string_view gbkMessage) {
  const Exchange exchange = Send(host, title, ForTerminal(gbkMessage));
  std::string_view rest;
  const std::optional<int> penalty =
      AmountAfter(exchange.reply, zorvane::WrongGuessReplyHead, rest);
  const bool refused = std::string_view(exchange.reply).starts_with(zorvane::RefusedReplyHead);
  Expect(exchange.reply.empty() || refused || (penalty && rest == zorvane::WrongGuessReplyTail),
         "the game answered a sign-in command with neither a wrong guess nor a refusal");
  return {exchange, penalty.value_or(0)};
}

std::string Stored(const Host& host, zorvane::TextView key) {
  return std::string(
      zorvane::ReadSetting(zorvane::LedgerFilePath(host.settingsFolder(), host.group()),
                           zorvane::LedgerSection(host.member(), host.group()), key));
}

// The member signs in (once a day: a second demo on the same day finds
// them signed in) and asks for the balance.
void SignIn(Host& host) {
  const auto [signedIn, charged] = SendToSignin(host, "sign in", zorvane::SigninWord);
  const double paid = signedIn.balanceAfter - signedIn.balanceBefore + charged;
  const zorvane::SigninAmounts amounts;
  const zorvane::SigninOutcome outcome =
      paid > 0 ? zorvane::SigninOutcome::SignedIn : zorvane::SigninOutcome::AlreadySignedIn;
  Expect(paid == 0 || (paid >= amounts.least && paid <= amounts.most),
         "the sign-in paid " + std::to_string(paid) + ", outside its range");
  const zorvane::Signin expected{outcome, static_cast<std::int32_t>(paid),
                                 zorvane::Text(Stored(host, zorvane::SigninCountKey)),
                                 zorvane::Text(Stored(host, zorvane::BalanceKey))};
  Expect(signedIn.signinReply == zorvane::TextView(zorvane::SigninReply(expected)),
         "the sign-in module's reply does not say what it paid and what the member holds");

  const std::string ask = host.signinCommandWord() + " " + std::string(zorvane::BalanceWord);
  const auto [balance, chargedToAsk] = SendToSignin(host, "ask for the balance", ask);
  Expect(balance.signinReply ==
             zorvane::TextView(zorvane::BalanceReply(Stored(host, zorvane::BalanceKey))),
         "the balance the sign-in module shows is not the stored one");
  ExpectBalanceChange(balance, -chargedToAsk);
}

// The sign-in module's standings put the member with the most money first.
void AskForStandings(Host& host) {
  const Exchange standings =
      SendToSignin(host, "the group's standings", zorvane::StandingsWord).exchange;
  const std::vector<zorvane::MemberBalance> members = host.Members();
  const zorvane::Text expected = zorvane::StandingsReply(
      members, [](zorvane::TextView member) { return zorvane::Text(member); });
  Expect(!members.empty() && standings.signinReply == zorvane::TextView(expected),
         "the standings are not the group's members highest first");
}

void CheckDescriptor(Host& host, const std::string& descriptor) {
  host.ShowDescriptor(descriptor);
  std::size_t lines = 0;
  for (std::size_t at = descriptor.find("\r\n"); at != descriptor.npos;
       at = descriptor.find("\r\n", at + 2)) {
    ++lines;
  }
  Expect(descriptor.starts_with("Zorvane\r\n") && descriptor.ends_with("\r\n") && lines == 10,
         "the descriptor is not ten lines starting with Zorvane");
  Expect(!zorvane::host::CommandWordOf(descriptor).empty(), "the descriptor names no command word");
}

// The demo needs a member who may play; the sign-in module pays out when
// earlier games have used the money up.
void MakeMemberPlayable(const Host& host) {
  if (zorvane::IsAbovePlayThreshold(host.Balance(host.member()))) {
    return;
  }
  std::cout << "(the member holds " << zorvane::PlayThreshold << " or less: the demo gives them "
            << StartingBalance << ")\n";
  Expect(zorvane::WriteMemberBalance(host.settingsFolder(), host.group(), host.member(),
                                     StartingBalance),
         "cannot write the sign-in ledger");
}

}  // namespace

int RunDemo(Host& host, const RiddleCatalog& catalog, const std::string& descriptor) {
  int solved = 0;
  try {
    CheckDescriptor(host, descriptor);
    if (host.hasSignin()) {
      SignIn(host);
    }
    MakeMemberPlayable(host);
    host.ShowBalance();
    const Riddle* riddle = &StartGame(host, catalog);
    GuessWrong(host, catalog, *riddle);
    GiveMoney(host);
    for (; solved < RiddlesToSolve; ++solved) {
      riddle = &GuessRight(host, catalog, *riddle, solved != 1);
    }
    riddle = &AnotherMemberPlays(host, catalog, *riddle);
    ++solved;
    if (host.hasSignin()) {
      AskForStandings(host);
    }
    Type(host, "where the group stands", "/riddle");
  } catch (const DemoFailure& failure) {
    std::cout << "\ndemo FAILED: " << failure.why << std::endl;
    return 1;
  }
  std::cout << "\ndemo passed: " << solved << " riddles solved" << std::endl;
  return 0;
}

}  // namespace host_simulator
