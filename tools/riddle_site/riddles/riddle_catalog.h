// The riddles of the riddle site in the order of their chain.
//
// Riddle pages live at the contract's page paths, one per riddle id. Each
// page links the next riddle of the chain; the last riddle links back to the
// first, so a group that keeps guessing goes round the collection again
// instead of running into a dead end.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace riddle_site {

struct Riddle {
  int id;
  std::string question;  // GBK, as the game shows it
  std::string answer;    // GBK
  // Taken out of the chain: no page links to it any more, but its own page
  // stays, so that a group standing on it can finish it and go on.
  bool deleted = false;
};

// The path of the riddle page of id (the contract's path scheme).
std::string RiddlePath(int id);

class RiddleCatalog {
 public:
  // Riddles with ids of their own, in chain order; ids are unique, and at
  // least one riddle is not deleted.
  explicit RiddleCatalog(std::vector<Riddle> riddles);

  // Every riddle in chain order, deleted ones included.
  std::span<const Riddle> riddles() const { return riddles_; }

  // The riddle served at path, or null.
  const Riddle* FindByPath(std::string_view path) const;

  // The first riddle with exactly this question, or null.
  const Riddle* FindByQuestion(std::string_view question) const;

  // The riddle that riddle's page links as the next one: the first riddle
  // after it in chain order that is not deleted, going round at the end.
  const Riddle& Next(const Riddle& riddle) const;

 private:
  std::vector<Riddle> riddles_;
  std::unordered_map<int, std::size_t> indexById_;
};

}  // namespace riddle_site
