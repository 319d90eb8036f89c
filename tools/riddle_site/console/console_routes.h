// The operator's console under /console/: the riddles edited in the browser,
// every group's standing, the site's traffic. The module never asks for
// these pages; nothing a request names ever reaches the file system.
#pragma once

#include <httplib.h>

#include <cstddef>

#include "console/console_auth.h"
#include "console/traffic_log.h"
#include "host_folder/group_standings.h"
#include "riddles/riddle_store.h"

namespace riddle_site {

// The largest request body the console takes: an uploaded riddle file.
inline constexpr std::size_t ConsoleBodyLimit = 4 * 1024 * 1024;

struct Console {
  RiddleStore& riddles;
  TrafficLog& traffic;
  ConsoleAuth& auth;
  const HostFolder* hostFolder;  // null without --host-folder
};

// Adds the console's routes; console must outlive the server.
void AddConsoleRoutes(httplib::Server& server, Console& console);

}  // namespace riddle_site
