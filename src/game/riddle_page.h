// Riddle pages: one riddle per page on the riddle site, with the question
// and the answer in headings and a link to the next page, cut at the
// contract's page markers.
#pragma once

#include "runtime/byte_buffer.h"
#include "runtime/text.h"

namespace zorvane {

// The body of the group's current page (RiddleSiteBase + the stored path),
// read from the state file at every call; the empty text when the request fails.
Text FetchRiddlePage(TextView group);

// Where page bodies come from: HttpGet of the page's URL. Fuzzing and tests
// may put another source in its place; null puts HttpGet back.
using PageSource = ByteBuffer (*)(TextView url);
void SetPageSourceForTesting(PageSource source);

// The first heading, whichever it is.
Text CutQuestion(TextView page);
Text CutAnswer(TextView page);
// The address of the link to the next page, as written on the page.
Text CutNextPath(TextView page);

}  // namespace zorvane
