// The riddle site's pages on an HTTP server.
#pragma once

#include <httplib.h>

#include <string>

namespace riddle_site {

inline constexpr char GbkHtml[] = "text/html; charset=gbk";

// Serves the riddle pages, "/update.html" (offering updateLink when it is
// not empty) and a 404 page for every other path.
void AddRoutes(httplib::Server& server, std::string updateLink);

}  // namespace riddle_site
