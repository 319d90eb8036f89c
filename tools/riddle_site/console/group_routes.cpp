// The console's groups: every group of the host's folder, and one group's
// members with their balances.
#include "console/console_router.h"
#include "console/pages/console_pages.h"
#include "runtime/gbk_utf8.h"

namespace riddle_site {
namespace {

using web_server::Request;
using web_server::Response;

void Groups(const Console& console, Response& response, const ConsoleSession& session) {
  std::optional<std::vector<GroupState>> groups;
  if (console.hostFolder != nullptr) {
    groups = console.hostFolder->Groups();
  }
  SendPage(response,
           GroupsPage(groups ? &*groups : nullptr, *console.riddles.catalog(), session.csrf));
}

void Group(const Console& console, const Request& request, Response& response,
           const ConsoleSession& session) {
  // The name comes back as the page showed it (UTF-8); the group must be
  // one that the host folder lists.
  const std::optional<std::string> name = zorvane::Utf8ToGbk(Query(request, "group"));
  const std::vector<GroupState> found =
      console.hostFolder && name ? console.hostFolder->FindGroup(*name) : std::vector<GroupState>();
  if (found.empty()) {
    SendNotFound(response, session);
    return;
  }
  SendPage(response, GroupPage(found.front(), console.hostFolder->Members(*name),
                               *console.riddles.catalog(), session.csrf));
}

}  // namespace

void AddGroupRoutes(const ConsoleRouter& router) {
  const Console& console = router.console;
  router.Show("/console/groups",
              [&console](const Request&, Response& response, const ConsoleSession& session) {
                Groups(console, response, session);
              });
  router.Show("/console/groups/view", [&console](const Request& request, Response& response,
                                                 const ConsoleSession& session) {
    Group(console, request, response, session);
  });
}

}  // namespace riddle_site
