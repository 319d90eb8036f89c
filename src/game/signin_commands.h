// The commands of the daily sign-in module that ships beside the game. Hosts
// that hand every group message to every module give both modules each of
// them: the sign-in module answers them, and the game never takes one for a
// start command or a guess.
#pragma once

#include <optional>

#include "runtime/text.h"

namespace zorvane {

enum class SigninCommand {
  SignIn,     // pays the day's amount
  Balance,    // shows the member's balance
  Standings,  // shows the group's richest members
};

// The command that a message names: the contract's SigninWord alone, or
// BalanceWord or StandingsWord alone or after SigninWord, with ASCII blanks
// around and between them. A host that routes messages by command word
// takes SigninWord off before it delivers them, so what is left ("", " 余额")
// names the same command. nullopt for every other message.
std::optional<SigninCommand> ReadSigninCommand(TextView message);

// True for a message that a member typed as a sign-in command, with the
// word still on: the game leaves these to the sign-in module. The empty
// message is not one of them; it stays the game's.
bool IsTypedSigninCommand(TextView message);

}  // namespace zorvane
