#include "game/replies.h"

#include "game/contract.h"
#include "runtime/convert.h"

namespace zorvane {

Text RefusedReply(TextView storedBalanceText) {
  return ConcatTexts({RefusedReplyHead, storedBalanceText, RefusedReplyTail});
}

Text CorrectGuessReply(std::int32_t reward, TextView nextQuestion) {
  return ConcatTexts(
      {CorrectGuessReplyHead, ToText(reward), CorrectGuessReplyMiddle, nextQuestion});
}

Text WrongGuessReply(std::int32_t penalty) {
  return ConcatTexts({WrongGuessReplyHead, ToText(penalty), WrongGuessReplyTail});
}

}  // namespace zorvane
