#include "console/console_routes.h"

#include "console/console_router.h"

namespace riddle_site {

void AddConsoleRoutes(httplib::Server& server, Console& console) {
  const ConsoleRouter router{server, console};
  AddHomeRoutes(router);
  AddLoginRoutes(router);
  AddRiddleRoutes(router);
  AddGroupRoutes(router);
}

}  // namespace riddle_site
