#include "signin/signin_event.h"

#include "game/game_rules.h"
#include "game/safe_identifier.h"
#include "runtime/run_environment.h"
#include "signin/daily_signin.h"
#include "signin/signin_commands.h"
#include "signin/signin_ledger.h"
#include "signin/signin_replies.h"

namespace zorvane {

Text HandleSigninEvent(TextView message, TextView messageType, TextView group, TextView member,
                       TextView /*extra*/) {
  if (!IsGroupMessage(messageType)) {
    return Text();
  }
  // Every other message is the game's, or the chat's.
  const std::optional<SigninCommand> command = ReadSigninCommand(message);
  if (!command) {
    return Text();
  }
  // Both become file and section names, as in the game.
  if (!IsSafeIdentifier(group) || !IsSafeIdentifier(member)) {
    return Text();
  }
  const Text folder = RunDirectory();
  switch (*command) {
    case SigninCommand::SignIn:
      return SigninReply(
          SignIn(folder, group, member, TodaysDate(), DrawSigninAmount(SigninAmounts{})));
    case SigninCommand::Balance:
      return BalanceReply(BalanceOf(folder, group, member));
    case SigninCommand::Standings:
      // The module knows members by their numbers only.
      return StandingsReply(LedgerMembers(folder, group),
                            [](TextView number) { return Text(number); });
  }
  return Text();
}

}  // namespace zorvane
