#include "site/site_routes.h"

#include <utility>

#include "site/site_pages.h"

namespace riddle_site {

void AddRoutes(httplib::Server& server, CurrentCatalog current, std::string updateLink) {
  server.Get(
      R"(/dmmy/[0-9]+\.html)",
      [current = std::move(current)](const httplib::Request& request, httplib::Response& response) {
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
