// The riddles of the local riddle site and the GBK pages it serves for them.
//
// Riddle pages live at "/dmmy/<id>.html"; the ids run on from FirstRiddleId
// in catalogue order. Each page shows its question in the first h3 heading,
// the answer in a "谜底：" heading and links the next riddle in a "下一篇" line.
// The last riddle links back to the first, so a group that keeps guessing
// goes round the catalogue again instead of running into a dead end.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace riddle_site {

struct Riddle {
  int id;
  std::string_view question;  // GBK
  std::string_view answer;    // GBK
};

// The page where every new group starts.
inline constexpr int FirstRiddleId = 19499;

// Every riddle in chain order; ids are FirstRiddleId, FirstRiddleId + 1, ...
std::span<const Riddle> Riddles();

// "/dmmy/<id>.html"
std::string RiddlePath(int id);

// The riddle served at path, or null.
const Riddle* FindRiddleByPath(std::string_view path);

// The riddle with exactly this question, or null.
const Riddle* FindRiddleByQuestion(std::string_view question);

// The riddle that riddle's page links as the next one.
const Riddle& NextRiddle(const Riddle& riddle);

// The riddle's page (GBK HTML).
std::string BuildRiddlePage(const Riddle& riddle);

// The update page; it offers updateLink when that is not empty.
std::string BuildUpdatePage(std::string_view updateLink);

// The site's front page: a link to the first riddle, no riddle markers.
std::string BuildIndexPage();

// The page for an unknown path; it carries none of the riddle markers.
std::string BuildNotFoundPage(std::string_view path);

}  // namespace riddle_site
