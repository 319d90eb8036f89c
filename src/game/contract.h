// The game's contract with everything around it: what a host sends, the
// riddle site's pages, the files in the host's folder and the replies. The
// module, the riddle site, the host programs and the tests all take these
// texts from here, so that each is spelled once: in contract.cpp.
//
// The texts are GBK bytes. contract.cpp is compiled with GBK literals like
// the rest of the module; they are not literals in this header, for a
// program whose own literals are UTF-8 would get other bytes from them.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace zorvane {

// What a host sends: the game answers only messages of GroupMessageType, and
// a start command holds StartWord.
extern const TextView GroupMessageType;
extern const TextView StartWord;

// The commands of the daily sign-in module that ships beside the game:
// SigninWord (also that module's command word) signs in; BalanceWord and
// StandingsWord, alone or after SigninWord, show the member's balance and
// the group's standings.
extern const TextView SigninWord;
extern const TextView BalanceWord;
extern const TextView StandingsWord;

// A riddle page: the question in the page's first heading (QuestionStart to
// QuestionEnd), the answer in the first heading that starts with AnswerStart
// (QuestionStart + AnswerLabel), and the link to the next page.
extern const TextView QuestionStart;
extern const TextView QuestionEnd;
extern const TextView AnswerStart;
extern const TextView AnswerLabel;
extern const TextView AnswerEnd;
extern const TextView NextPathStart;
extern const TextView NextPathEnd;

// Riddle pages live at RiddlePathPrefix + id + RiddlePathSuffix; every new
// group starts on the page of FirstRiddleId, InitialRiddlePath.
extern const TextView RiddlePathPrefix;
extern const TextView RiddlePathSuffix;
inline constexpr std::int32_t FirstRiddleId = 19499;
extern const TextView InitialRiddlePath;

// The update page may carry UpdateLinkStart + link + UpdateLinkEnd.
extern const TextView UpdateLinkStart;
extern const TextView UpdateLinkEnd;

// A group's state file, folder + "/" + GameFolderName + "/" + group +
// StateFileExtension: one section, StateSection, with the keys below.
extern const TextView GameFolderName;
extern const TextView StateFileExtension;
extern const TextView StateSection;
// The site-relative path of the group's current riddle page.
extern const TextView CurrentPathKey;
// The answer of that riddle; empty while no riddle is open.
extern const TextView AnswerKey;
// The path of a page whose riddle has been solved while the group could not
// be moved on from it; there only until a start command moves it on.
extern const TextView SolvedPathKey;

// The sign-in module's ledger of a group, folder + "\" + LedgerFolderName +
// "\" + LedgerFileStem + group + LedgerFileExtension: a section per member,
// member + LedgerSectionJoint + group, holding the money under BalanceKey.
extern const TextView LedgerFolderName;
extern const TextView LedgerFileStem;
extern const TextView LedgerFileExtension;
extern const TextView LedgerSectionJoint;
extern const TextView BalanceKey;

// The replies: RefusedReplyHead + the stored balance + RefusedReplyTail;
// CorrectGuessReplyHead + the reward + CorrectGuessReplyMiddle + the next
// question; WrongGuessReplyHead + the penalty + WrongGuessReplyTail.
extern const TextView RefusedReplyHead;
extern const TextView RefusedReplyTail;
extern const TextView CorrectGuessReplyHead;
extern const TextView CorrectGuessReplyMiddle;
extern const TextView WrongGuessReplyHead;
extern const TextView WrongGuessReplyTail;

}  // namespace zorvane
