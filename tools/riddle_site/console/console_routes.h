// The operator's console under /console/: the riddles edited in the browser,
// every group's standing, the site's traffic. The module never asks for
// these pages; nothing a request names ever reaches the file system.
#pragma once

#include <cstddef>

#include "console/access/console_auth.h"
#include "console/traffic_log.h"
#include "host_folder/group_standings.h"
#include "riddles/riddle_store.h"
#include "router.h"

namespace riddle_site {

// The largest riddle file the console imports.
inline constexpr std::size_t MaxImportedFile = 4 * 1024 * 1024;
// What a browser wraps around an uploaded file (the form's other fields,
// the parts' heads and boundaries) is given room beyond the file's own cap,
// so that the cap is the file's.
inline constexpr std::size_t ImportFormRoom = 64 * 1024;
// The import's path, the only one that takes a body larger than the
// server's own cap.
inline constexpr char ImportPath[] = "/console/riddles/import";

struct Console {
  RiddleStore& riddles;
  TrafficLog& traffic;
  ConsoleAuth& auth;
  const HostFolder* hostFolder;  // null without --host-folder
};

// Adds the console's routes; console must outlive the server.
void AddConsoleRoutes(web_server::Router& router, Console& console);

// Whether a request's head may bring an imported file: a POST to the
// import from a browser that holds a live session of the console. Others
// get the server's small cap, so that no one else can make the site hold
// a large body.
bool MayUpload(Console& console, const web_server::Request& head);

}  // namespace riddle_site
