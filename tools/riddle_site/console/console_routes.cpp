#include "console/console_routes.h"

#include "console/access/request_origin.h"
#include "console/console_router.h"

namespace riddle_site {

void AddConsoleRoutes(web_server::Router& router, Console& console) {
  const ConsoleRouter areas{router, console};
  AddHomeRoutes(areas);
  AddLoginRoutes(areas);
  AddRiddleRoutes(areas);
  AddGroupRoutes(areas);
  // Any other page of the console, behind the same checks.
  areas.ShowBelow("/console/",
                  [](const web_server::Request&, web_server::Response& response,
                     const ConsoleSession& session) { SendNotFound(response, session); });
}

bool MayUpload(Console& console, const web_server::Request& head) {
  if (head.method != "POST" || head.path != ImportPath) {
    return false;
  }
  switch (console.auth.mode()) {
    case ConsoleMode::Open:
      return NamesThisMachine(head) && console.auth.SessionOf(head.headers.Find("Cookie"));
    case ConsoleMode::Password:
      return console.auth.SessionOf(head.headers.Find("Cookie")).has_value();
    case ConsoleMode::Off:
      break;
  }
  return false;
}

}  // namespace riddle_site
