#include "site/site_routes.h"

#include <utility>

#include "game/contract.h"
#include "site/site_pages.h"

namespace riddle_site {
namespace {

// text as a regular expression that matches it alone.
std::string Literally(std::string_view text) {
  std::string pattern;
  for (const char c : text) {
    if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) {
      pattern += '\\';
    }
    pattern += c;
  }
  return pattern;
}

// The paths of riddle pages; the catalogue tells which are served.
std::string RiddlePagePattern() {
  return Literally(zorvane::RiddlePathPrefix) + "[0-9]+" + Literally(zorvane::RiddlePathSuffix);
}

}  // namespace

void AddRoutes(httplib::Server& server, CurrentCatalog current, std::string updateLink) {
  server.Get(RiddlePagePattern(), [current = std::move(current)](const httplib::Request& request,
                                                                 httplib::Response& response) {
    // One catalogue for the whole page, even while it is edited.
    const std::shared_ptr<const RiddleCatalog> catalog = current();
    const Riddle* riddle = catalog->FindByPath(request.path);
    if (riddle == nullptr) {
      response.status = 404;
      response.set_content(NotFoundPage(request.path), GbkHtml);
      return;
    }
    response.set_content(RiddlePage(*catalog, *riddle), GbkHtml);
  });
  server.Get(UpdatePagePath,
             [link = std::move(updateLink)](const httplib::Request&, httplib::Response& response) {
               response.set_content(UpdatePage(link), GbkHtml);
             });
  // An index without riddle markers: a group whose stored page path is empty
  // asks for the bare site address and must not find a riddle there.
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(IndexPage(), GbkHtml);
  });
  server.set_error_handler([](const httplib::Request& request, httplib::Response& response) {
    if (response.body.empty()) {
      response.set_content(NotFoundPage(request.path), GbkHtml);
    }
  });
}

}  // namespace riddle_site
