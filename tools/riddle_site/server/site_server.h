// The riddle site on the event-driven web server: its pages, the console
// when there is one, the log of every request and the site's own pages for
// the requests that the server refuses.
//
//   SiteServer site({.catalog = ..., .updateLink = ..., .console = &console, .traffic = &traffic});
//   const std::optional<int> port = site.Listen("127.0.0.1", 8723);
//   site.Run();  // until site.Stop()
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "console/console_routes.h"
#include "console/traffic_log.h"
#include "router.h"
#include "site/site_routes.h"
#include "web_server.h"

namespace riddle_site {

struct SiteParts {
  CurrentCatalog catalog{};
  std::string updateLink{};       // "": the update page offers none
  Console* console = nullptr;     // null: the pages alone
  TrafficLog* traffic = nullptr;  // null: requests are not recorded
  // Takes a line for the terminal per request (control bytes escaped);
  // unset: none is written.
  std::function<void(std::string_view line)> log{};
};

// The server's rules for the site: heads of at most 32 KiB and 100 lines,
// bodies of 64 KiB (an imported file excepted), 15 s for a request, 5 s for
// an idle connection, 128 connections from one address.
web_server::Options SiteServerOptions();

class SiteServer {
 public:
  explicit SiteServer(SiteParts parts, web_server::Options options = SiteServerOptions());
  SiteServer(const SiteServer&) = delete;
  SiteServer& operator=(const SiteServer&) = delete;

  // As web_server::Server's.
  std::optional<int> Listen(const std::string& address, int port);
  void Run();
  void Stop();

 private:
  SiteParts parts_;
  web_server::Router router_;
  std::unique_ptr<web_server::Server> server_;
};

}  // namespace riddle_site
