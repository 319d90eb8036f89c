// The console's front page and the site's traffic.
#include "console/console_router.h"
#include "console/pages/console_pages.h"

namespace riddle_site {
namespace {

using web_server::Request;
using web_server::Response;

void Home(const Console& console, Response& response, const ConsoleSession& session) {
  HomeFacts facts;
  for (const RiddleEntry& entry : *console.riddles.entries()) {
    facts.riddles += entry.deleted ? 0 : 1;
  }
  facts.riddleFile = console.riddles.path();
  if (console.hostFolder != nullptr) {
    facts.groups = console.hostFolder->Groups().size();
  }
  facts.moduleFetches = console.traffic.LastModuleFetches();
  SendPage(response, HomePage(facts, session.csrf));
}

void Traffic(const Console& console, Response& response, const ConsoleSession& session) {
  SendPage(response, TrafficPage(console.traffic.Recent(), console.traffic.Counts(),
                                 console.traffic.LastModuleFetches(), session.csrf));
}

}  // namespace

void AddHomeRoutes(const ConsoleRouter& router) {
  const Console& console = router.console;
  router.router.Get("/console",
                    [](const Request&, Response& response) { Redirect(response, "/console/"); });
  router.Show("/console/",
              [&console](const Request&, Response& response, const ConsoleSession& session) {
                Home(console, response, session);
              });
  router.Show("/console/traffic",
              [&console](const Request&, Response& response, const ConsoleSession& session) {
                Traffic(console, response, session);
              });
}

}  // namespace riddle_site
