#include "game/chat_event.h"

#include "game/game_rules.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game/replies.h"
#include "game/riddle_page.h"
#include "game/safe_identifier.h"

namespace zorvane {
namespace {

// Shows the group's current riddle again and stores its answer again; the
// group stays on the same page.
Text StartRiddle(TextView group) {
  EnsureStateFile(group);
  const Text shownPage = FetchRiddlePage(group);
  const Text answerPage = FetchRiddlePage(group);
  StoreAnswer(group, CutAnswer(answerPage));
  return CutQuestion(shownPage);
}

// The reward is credited before any request and stands whatever they give.
Text PayCorrectGuess(TextView group, TextView member, std::int32_t reward) {
  AdjustBalance(group, member, reward);
  const Text solvedPage = FetchRiddlePage(group);
  StoreNextPath(group, CutNextPath(solvedPage));
  const Text shownPage = FetchRiddlePage(group);
  const Text answerPage = FetchRiddlePage(group);
  StoreAnswer(group, CutAnswer(answerPage));
  return CorrectGuessReply(reward, CutQuestion(shownPage));
}

// The same riddle stays open.
Text ChargeWrongGuess(TextView group, TextView member, std::int32_t penalty) {
  AdjustBalance(group, member, -penalty);
  return WrongGuessReply(penalty);
}

}  // namespace

Text HandleChatEvent(TextView message, TextView messageType, TextView group, TextView member,
                     TextView /*extra*/) {
  // Drawn for every event, before any test, so that the generator moves the
  // same way whatever the event turns out to be.
  const EventAmounts amounts = DrawEventAmounts();
  if (!IsGroupMessage(messageType)) {
    return Text();
  }
  // Both become file and section names.
  if (!IsSafeIdentifier(group) || !IsSafeIdentifier(member)) {
    return Text();
  }
  const bool startCommand = IsStartCommand(message);
  // A guess is judged only while a riddle is open: an empty answer would be
  // found in every message and pay for each one.
  Text answer;
  if (!startCommand) {
    answer = ReadStoredAnswer(group);
    if (answer.empty()) {
      return Text();
    }
  }
  if (!MayPlay(group, member)) {
    return RefusedReply(ReadBalanceText(group, member));
  }
  if (startCommand) {
    return StartRiddle(group);
  }
  if (FindText(message, answer) != -1) {
    return PayCorrectGuess(group, member, amounts.reward);
  }
  return ChargeWrongGuess(group, member, amounts.penalty);
}

}  // namespace zorvane
