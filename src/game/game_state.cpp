#include "game/game_state.h"

#include "game/contract.h"
#include "runtime/run_environment.h"
#include "runtime/settings/settings.h"

namespace zorvane {
namespace {

Text OwnStateFile(TextView group) {
  return StateFilePath(RunDirectory(), group);
}

}  // namespace

Text GameFolderPath(TextView folder) {
  return ConcatTexts({folder, "/", GameFolderName});
}

Text StateFilePath(TextView folder, TextView group) {
  return ConcatTexts({GameFolderPath(folder), "/", group, StateFileExtension});
}

void EnsureStateFile(TextView group) {
  // Existence is the only test: an existing file keeps whatever it holds.
  if (!FileExists(OwnStateFile(group))) {
    WriteSetting(OwnStateFile(group), StateSection, CurrentPathKey, InitialRiddlePath);
  }
}

Text ReadCurrentPath(TextView group) {
  return ReadSetting(OwnStateFile(group), StateSection, CurrentPathKey);
}

Text ReadStoredAnswer(TextView group) {
  return ReadSetting(OwnStateFile(group), StateSection, AnswerKey);
}

void StoreAnswer(TextView group, TextView answer) {
  WriteSetting(OwnStateFile(group), StateSection, AnswerKey, WithoutLineBreaks(answer));
}

bool StoreNextPath(TextView group, TextView nextPath) {
  const Text path = WithoutLineBreaks(nextPath);
  if (!IsSiteRelativePath(path)) {  // the empty path included
    return false;
  }
  return WriteSetting(OwnStateFile(group), StateSection, CurrentPathKey, path);
}

void MarkCurrentPageSolved(TextView group) {
  WriteSetting(OwnStateFile(group), StateSection, SolvedPathKey, ReadCurrentPath(group));
}

bool IsCurrentPageSolved(TextView group) {
  // Compared with the current path, so that a group moved on by other means
  // is not held back by an old mark.
  const Text solvedPath = ReadSetting(OwnStateFile(group), StateSection, SolvedPathKey);
  return !solvedPath.empty() && solvedPath == ReadCurrentPath(group);
}

void ForgetSolvedPage(TextView group) {
  WriteSetting(OwnStateFile(group), StateSection, SolvedPathKey, std::nullopt);
}

Text WithoutLineBreaks(TextView piece) {
  Text kept;
  kept.reserve(piece.size());
  for (const char byte : piece.substr(0, TextLength(piece))) {
    if (byte != '\r' && byte != '\n') {
      kept.push_back(byte);
    }
  }
  return kept;
}

bool IsSiteRelativePath(TextView path) {
  return FindText(path, "/") == 1;
}

}  // namespace zorvane
