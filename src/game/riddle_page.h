// Riddle pages: one riddle per page on the riddle site, with the question
// and the answer in h3 headings and a "下一篇" link to the next page.
#pragma once

#include "runtime/byte_buffer.h"
#include "runtime/text.h"

namespace zorvane {

inline constexpr TextView QuestionStart = "<h3>";
inline constexpr TextView QuestionEnd = "</h3>";
inline constexpr TextView AnswerStart = "<h3>谜底：";
inline constexpr TextView AnswerEnd = "</h3>";
inline constexpr TextView NextPathStart = "下一篇：<a href='";
inline constexpr TextView NextPathEnd = "'>";

// The body of the group's current page (RiddleSiteBase + the stored path),
// read from the state file at every call; the empty text when the request fails.
Text FetchRiddlePage(TextView group);

// Where page bodies come from: HttpGet of the page's URL. Fuzzing and tests
// may put another source in its place; null puts HttpGet back.
using PageSource = ByteBuffer (*)(TextView url);
void SetPageSourceForTesting(PageSource source);

// The first h3 heading, whichever it is.
Text CutQuestion(TextView page);
Text CutAnswer(TextView page);
// The href of the "下一篇" link, as written on the page.
Text CutNextPath(TextView page);

}  // namespace zorvane
