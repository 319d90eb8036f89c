// The console's riddle pages, built from what they show (UTF-8 HTML): the
// list with its search, the add and edit form, the delete confirmation.
// Every text that comes from riddles, files or requests is escaped here.
//
// Stable names that scripts and tests use: tables "riddles" (rows
// "riddle-<id>") and "kind-counts"; forms "riddle-form", "delete-form",
// "import-form", "search-form".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "riddles/riddle_file.h"
#include "riddles/riddle_store.h"

namespace riddle_site {

inline constexpr int RiddlesPerPage = 50;

// What a riddle list shows: a search over question, answer and kind, one
// kind only, a page of the result.
struct RiddleListQuery {
  std::string search{};
  std::optional<std::string> kind{};  // "" is riddles without a kind
  int page = 1;
  bool showDeleted = false;
};

// A message at the top of a page: a notice or a problem.
struct Message {
  std::string text;
  bool problem = false;
};

std::string RiddleListPage(const std::vector<RiddleEntry>& entries, const RiddleListQuery& query,
                           const std::optional<Message>& message, std::string_view csrf);

// What the add form (no id) or the edit form of a riddle shows.
struct RiddleForm {
  std::optional<int> id{};
  std::string version{};  // RiddleVersion of the riddle the edit started from
  RiddleDraft draft{};
  std::optional<std::string> problem{};  // that refused the draft
  std::optional<int> after{};            // a new riddle goes after it in the chain, or at the end
};

std::string RiddleFormPage(const RiddleForm& form, std::string_view csrf);

// The confirmation of a deletion; the form carries the riddle's version.
std::string DeleteConfirmPage(const RiddleEntry& entry, const std::optional<std::string>& problem,
                              std::string_view csrf);

}  // namespace riddle_site
