// The riddles of the riddle site and the GBK pages it serves for them.
//
// Riddle pages live at "/dmmy/<id>.html"; the ids run on from FirstRiddleId
// in the order of the riddle file, unless the file gives them. Each page shows its question in the
// first h3 heading, the answer in a "谜底：" heading and links the next riddle in a "下一篇" line.
// The last riddle links back to the first, so a group that keeps guessing goes round the collection
// again instead of running into a dead end.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace riddle_site {

// One riddle as the game shows it (GBK).
struct RiddleText {
  std::string question;  // with its kind, as shown: "十个哥哥（打一字）"
  std::string answer;
};

struct Riddle {
  int id;
  std::string question;
  std::string answer;
  // Taken out of the chain: no page links to it any more, but its own page
  // stays, so that a group standing on it can finish it and go on.
  bool deleted = false;
};

// The page where every new group starts.
inline constexpr int FirstRiddleId = 19499;

// "/dmmy/<id>.html"
std::string RiddlePath(int id);

class RiddleCatalog {
 public:
  // The riddles in chain order; there must be at least one.
  explicit RiddleCatalog(std::vector<RiddleText> texts);

  // Riddles with ids of their own, in chain order; ids are unique, and at
  // least one riddle is not deleted.
  explicit RiddleCatalog(std::vector<Riddle> riddles);

  // Every riddle in chain order, deleted ones included; with the first
  // constructor the ids are FirstRiddleId, FirstRiddleId + 1, ...
  std::span<const Riddle> riddles() const { return riddles_; }

  // The riddle served at path, or null.
  const Riddle* FindByPath(std::string_view path) const;

  // The first riddle with exactly this question, or null.
  const Riddle* FindByQuestion(std::string_view question) const;

  // The riddle that riddle's page links as the next one: the first riddle
  // after it in chain order that is not deleted, going round at the end.
  const Riddle& Next(const Riddle& riddle) const;

  // The riddle's page (GBK HTML).
  std::string Page(const Riddle& riddle) const;

 private:
  std::vector<Riddle> riddles_;
  std::unordered_map<int, std::size_t> indexById_;
};

// The update page; it offers updateLink when that is not empty.
std::string BuildUpdatePage(std::string_view updateLink);

// The site's front page: a link to the first riddle, no riddle markers.
std::string BuildIndexPage();

// The page for an unknown path; it carries none of the riddle markers.
std::string BuildNotFoundPage(std::string_view path);

}  // namespace riddle_site
