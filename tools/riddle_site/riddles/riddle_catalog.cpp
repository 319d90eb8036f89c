#include "riddles/riddle_catalog.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "game/contract.h"

namespace riddle_site {
namespace {

using zorvane::RiddlePathPrefix;
using zorvane::RiddlePathSuffix;

// The id in a riddle page's path, or -1 when path has another shape.
int IdFromPath(std::string_view path) {
  if (!path.starts_with(RiddlePathPrefix) || !path.ends_with(RiddlePathSuffix) ||
      path.size() < RiddlePathPrefix.size() + RiddlePathSuffix.size()) {
    return -1;
  }
  const std::string_view digits = path.substr(
      RiddlePathPrefix.size(), path.size() - RiddlePathPrefix.size() - RiddlePathSuffix.size());
  int id = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.starts_with("0")) {
    return -1;
  }
  return id;
}

}  // namespace

std::string RiddlePath(int id) {
  return std::string(RiddlePathPrefix) + std::to_string(id) + std::string(RiddlePathSuffix);
}

RiddleCatalog::RiddleCatalog(std::vector<Riddle> riddles) : riddles_(std::move(riddles)) {
  for (std::size_t i = 0; i < riddles_.size(); ++i) {
    indexById_.emplace(riddles_[i].id, i);
  }
}

const Riddle* RiddleCatalog::FindByPath(std::string_view path) const {
  const auto found = indexById_.find(IdFromPath(path));
  return found == indexById_.end() ? nullptr : &riddles_[found->second];
}

const Riddle* RiddleCatalog::FindByQuestion(std::string_view question) const {
  const auto found = std::find_if(riddles_.begin(), riddles_.end(),
                                  [&](const Riddle& r) { return r.question == question; });
  return found == riddles_.end() ? nullptr : &*found;
}

const Riddle& RiddleCatalog::Next(const Riddle& riddle) const {
  const std::size_t index = indexById_.at(riddle.id);
  for (std::size_t step = 1; step < riddles_.size(); ++step) {
    const Riddle& next = riddles_[(index + step) % riddles_.size()];
    if (!next.deleted) {
      return next;
    }
  }
  return riddle;  // the only riddle left links to itself
}

}  // namespace riddle_site
