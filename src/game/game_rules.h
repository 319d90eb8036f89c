// The rules of the riddle game that do not depend on files or the network:
// which events it answers, what a start command is, and what is at stake.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace zorvane {

// A start command contains the contract's StartWord and is at most this long.
inline constexpr std::int32_t StartCommandMaxBytes = 6;

struct AmountRange {
  std::int32_t low;
  std::int32_t high;
};

// Paid for a correct guess and charged for a wrong one, in yuan, bounds included.
inline constexpr AmountRange RewardRange{20, 30};
inline constexpr AmountRange PenaltyRange{2, 10};

// The amounts at stake in one event, drawn before anything else is looked at.
struct EventAmounts {
  std::int32_t reward;
  std::int32_t penalty;
};

// Seeds the generator from the clock, then draws the reward and the penalty.
EventAmounts DrawEventAmounts();

// Only GroupMessageType, exactly.
bool IsGroupMessage(TextView messageType);

// StartWord with at most one more double-byte character (or two single bytes).
bool IsStartCommand(TextView message);

}  // namespace zorvane
