// The replies the game answers with, made of the contract's reply texts.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace zorvane {

// Shows the balance text exactly as stored, not reformatted.
Text RefusedReply(TextView storedBalanceText);

// The reward, then the question of the riddle that is now open.
Text CorrectGuessReply(std::int32_t reward, TextView nextQuestion);

Text WrongGuessReply(std::int32_t penalty);

}  // namespace zorvane
