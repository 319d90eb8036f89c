#include "game/riddle_page.h"

#include "game/contract.h"
#include "game/game_state.h"
#include "game/site_urls.h"
#include "net/http_get.h"
#include "runtime/convert.h"
#include "runtime/text_between.h"

namespace zorvane {
namespace {

PageSource& CurrentPageSource() {
  static PageSource source = nullptr;
  return source;
}

ByteBuffer FetchPageBody(TextView url) {
  const PageSource source = CurrentPageSource();
  return source != nullptr ? source(url) : HttpGet(url);
}

}  // namespace

void SetPageSourceForTesting(PageSource source) {
  CurrentPageSource() = source;
}

Text FetchRiddlePage(TextView group) {
  const Text url = ConcatTexts({RiddleSiteBase(), ReadCurrentPath(group)});
  return ToText(FetchPageBody(url));
}

Text CutQuestion(TextView page) {
  return TextBetween(page, QuestionStart, QuestionEnd);
}

Text CutAnswer(TextView page) {
  return TextBetween(page, AnswerStart, AnswerEnd);
}

Text CutNextPath(TextView page) {
  return TextBetween(page, NextPathStart, NextPathEnd);
}

}  // namespace zorvane
