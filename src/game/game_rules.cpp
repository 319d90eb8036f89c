#include "game/game_rules.h"

#include "game/contract.h"
#include "runtime/random.h"

namespace zorvane {

EventAmounts DrawEventAmounts() {
  SeedRandom();
  // Reward first, then penalty: a given seed must always give the same pair.
  const std::int32_t reward = RandomInRange(RewardRange.low, RewardRange.high);
  const std::int32_t penalty = RandomInRange(PenaltyRange.low, PenaltyRange.high);
  return {reward, penalty};
}

bool IsGroupMessage(TextView messageType) {
  return CompareText(messageType, GroupMessageType) == 0;
}

bool IsStartCommand(TextView message) {
  return FindText(message, StartWord) != -1 && TextLength(message) <= StartCommandMaxBytes;
}

}  // namespace zorvane
