// The riddle site's pages on the web server: the riddle pages, the update
// page, the index, and a page for every other path.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "riddles/riddle_catalog.h"
#include "router.h"

namespace riddle_site {

// Serves the riddle pages of whatever catalogue current gives at each
// request (so that riddles edited while the site runs are served at once),
// the update page (offering updateLink when it is not empty), the index at
// "/" and a 404 page for every other path.
//
// The pages carry what operators wrote as it is, markup included, for the
// module reads them byte for byte. So that a browser never runs a script of
// theirs on the site's origin (where the console lives), every one of them
// is sent sandboxed: the browser gives it an origin of its own and runs no
// script in it.
using CurrentCatalog = std::function<std::shared_ptr<const RiddleCatalog>()>;
void AddSiteRoutes(web_server::Router& router, CurrentCatalog current, std::string updateLink);

// The headers of every page that is not the console's: sandboxed, and
// never taken for another type than it says.
void SetSitePageHeaders(web_server::Response& response);

}  // namespace riddle_site
