#include "game/chat_event.h"

#include "game/game_rules.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game/replies.h"
#include "game/riddle_page.h"
#include "game/safe_identifier.h"

namespace zorvane {
namespace {

// Fetches the group's current page twice: the first shows the question, the
// second gives the answer to store. Returns the question.
Text OpenCurrentRiddle(TextView group) {
  const Text shownPage = FetchRiddlePage(group);
  const Text answerPage = FetchRiddlePage(group);
  StoreAnswer(group, CutAnswer(answerPage));
  return CutQuestion(shownPage);
}

// Follows the current page's link to the next one; false when the page or
// a usable link cannot be had, and the group stays where it is.
bool MoveToNextPage(TextView group) {
  const Text solvedPage = FetchRiddlePage(group);
  return StoreNextPath(group, CutNextPath(solvedPage));
}

// Shows the group's current riddle again and stores its answer again; the
// group stays on the same page, unless that riddle has been solved already:
// then the group moves on first, and without the next page there is no reply.
Text StartRiddle(TextView group) {
  EnsureStateFile(group);
  if (IsCurrentPageSolved(group)) {
    if (!MoveToNextPage(group)) {
      return Text();
    }
    ForgetSolvedPage(group);
  }
  return OpenCurrentRiddle(group);
}

// The reward is credited before any request and stands whatever they give.
// The solved riddle closes at once, so that it pays only once; when the
// group cannot leave its page now, the page is marked solved and the next
// start command moves it on.
Text PayCorrectGuess(TextView group, TextView member, std::int32_t reward) {
  AdjustBalance(group, member, reward);
  StoreAnswer(group, Text());
  if (!MoveToNextPage(group)) {
    MarkCurrentPageSolved(group);
    return CorrectGuessReply(reward, Text());
  }
  return CorrectGuessReply(reward, OpenCurrentRiddle(group));
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
