// The riddle site's pages on an HTTP server.
#pragma once

#include <httplib.h>

#include <functional>
#include <memory>
#include <string>

#include "riddles/riddle_catalog.h"

namespace riddle_site {

// Serves the riddle pages of whatever catalogue current gives at each
// request (so that riddles edited while the site runs are served at once),
// the update page (offering updateLink when it is not empty), the index at
// "/" and a 404 page for every other path.
using CurrentCatalog = std::function<std::shared_ptr<const RiddleCatalog>()>;
void AddRoutes(httplib::Server& server, CurrentCatalog current, std::string updateLink);

}  // namespace riddle_site
