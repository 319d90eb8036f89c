// The console's pages but the riddles' (riddle_pages.h), built from what
// they show (UTF-8 HTML). Every text that comes from files or requests is
// escaped here.
//
// Stable names that scripts and tests use: tables "groups", "members",
// "requests", "path-counts"; forms "login-form", "logout-form"; the chart
// "chart"; the front page's line "module-fetches"; messages "problem" and
// "notice".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/traffic_log.h"
#include "host_folder/group_standings.h"
#include "riddles/riddle_catalog.h"

namespace riddle_site {

inline constexpr std::size_t ChartedMembers = 20;

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

// The login form, carrying its token.
std::string LoginPage(const std::optional<std::string>& problem, std::string_view token);

// Shown instead of every console page when the console is off.
std::string ConsoleOffPage();

// "第 3 条，共 340 条", or why the path is in no place of the chain.
std::string PlaceInChain(const RiddleCatalog& catalog, std::string_view path);

}  // namespace riddle_site
