#include "signin/signin_commands.h"

#include "game/contract.h"

namespace zorvane {
namespace {

constexpr TextView Blanks = " \t";

TextView WithoutBlanksAround(TextView text) {
  const std::size_t first = text.find_first_not_of(Blanks);
  if (first == TextView::npos) {
    return TextView();
  }
  return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

}  // namespace

std::optional<SigninCommand> ReadSigninCommand(TextView message) {
  TextView rest = WithoutBlanksAround(UpToNul(message));
  if (rest.starts_with(SigninWord)) {
    rest = WithoutBlanksAround(rest.substr(SigninWord.size()));
  }
  if (rest.empty() || rest == SigninWord) {
    return SigninCommand::SignIn;
  }
  if (rest == BalanceWord) {
    return SigninCommand::Balance;
  }
  if (rest == StandingsWord) {
    return SigninCommand::Standings;
  }
  return std::nullopt;
}

}  // namespace zorvane
