// The commands of the daily sign-in module that ships beside the game, as a
// member types them or as a host that routes by command word delivers them.
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

}  // namespace zorvane
