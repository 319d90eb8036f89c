// The console's pages, built from what they show (UTF-8 HTML). Every text
// that comes from riddles, files or requests is escaped here.
//
// Stable names that scripts and tests use: tables "riddles" (rows
// "riddle-<id>"), "kind-counts", "groups", "members", "requests",
// "path-counts"; forms "login-form", "riddle-form", "delete-form",
// "import-form", "search-form", "logout-form"; the chart "chart"; the front
// page's line "module-fetches"; messages "problem" and "notice".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/traffic_log.h"
#include "host_folder/group_standings.h"
#include "riddles/riddle_catalog.h"
#include "riddles/riddle_file.h"
#include "riddles/riddle_store.h"

namespace riddle_site {

inline constexpr int RiddlesPerPage = 50;
inline constexpr std::size_t ChartedMembers = 20;

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

// The add form (id nullopt) or the edit form of a riddle, showing draft and
// the problem that refused it, if any. A new riddle goes after the riddle
// after in the chain (field "after"), or at the end.
std::string RiddleFormPage(std::optional<int> id, const RiddleDraft& draft,
                           const std::optional<std::string>& problem, std::string_view csrf,
                           std::optional<int> after = std::nullopt);

std::string DeleteConfirmPage(const RiddleEntry& entry, const std::optional<std::string>& problem,
                              std::string_view csrf);

struct HomeFacts {
  std::size_t riddles = 0;  // not deleted
  std::string riddleFile;
  std::optional<std::size_t> groups;  // with a host folder
  ModuleFetches moduleFetches;
};

std::string HomePage(const HomeFacts& facts, std::string_view csrf);

// The groups of the host folder; null hostFolder: none was given.
std::string GroupsPage(const std::vector<GroupState>* groups, const RiddleCatalog& catalog,
                       std::string_view csrf);

// One group's members (GBK names as read), highest balance first.
std::string GroupPage(const GroupState& group, const std::vector<MemberBalance>& members,
                      const RiddleCatalog& catalog, std::string_view csrf);

std::string TrafficPage(const std::vector<TrafficEntry>& recent,
                        const std::vector<PathCount>& counts, const ModuleFetches& fetches,
                        std::string_view csrf);

std::string LoginPage(const std::optional<std::string>& problem);

// Shown instead of every console page when the console is off.
std::string ConsoleOffPage();

// "第 3 条，共 340 条", or why the path is in no place of the chain.
std::string PlaceInChain(const RiddleCatalog& catalog, std::string_view path);

}  // namespace riddle_site
