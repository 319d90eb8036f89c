#include "game/game_state.h"

#include "runtime/run_environment.h"
#include "runtime/settings/settings.h"

namespace zorvane {

Text GameFolderPath() {
  return ConcatTexts({RunDirectory(), GameFolderName});
}

Text StateFilePath(TextView group) {
  return ConcatTexts({RunDirectory(), GameFolderName, "/", group, StateFileExtension});
}

void EnsureStateFile(TextView group) {
  // Existence is the only test: an existing file keeps whatever it holds.
  if (!FileExists(StateFilePath(group))) {
    WriteSetting(StateFilePath(group), StateSection, CurrentPathKey, InitialRiddlePath);
  }
}

Text ReadCurrentPath(TextView group) {
  return ReadSetting(StateFilePath(group), StateSection, CurrentPathKey);
}

Text ReadStoredAnswer(TextView group) {
  return ReadSetting(StateFilePath(group), StateSection, AnswerKey);
}

void StoreAnswer(TextView group, TextView answer) {
  WriteSetting(StateFilePath(group), StateSection, AnswerKey, WithoutLineBreaks(answer));
}

void StoreNextPath(TextView group, TextView nextPath) {
  const Text path = WithoutLineBreaks(nextPath);
  if (!IsSiteRelativePath(path)) {  // the empty path included
    return;
  }
  WriteSetting(StateFilePath(group), StateSection, CurrentPathKey, path);
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
