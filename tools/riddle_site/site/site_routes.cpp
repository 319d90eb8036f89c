#include "site/site_routes.h"

#include <utility>

#include "game/contract.h"
#include "site/site_pages.h"

namespace riddle_site {
namespace {

using web_server::Request;
using web_server::Response;

void SendGbkPage(Response& response, const std::string& page) {
  response.SetContent(page, GbkHtml);
  SetSitePageHeaders(response);
}

void SendNotFoundPage(const Request& request, Response& response) {
  response.status = 404;
  SendGbkPage(response, NotFoundPage(request.path));
}

}  // namespace

void SetSitePageHeaders(Response& response) {
  response.SetHeader("Content-Security-Policy", "sandbox");
  response.SetHeader("X-Content-Type-Options", "nosniff");
}

void AddSiteRoutes(web_server::Router& router, CurrentCatalog current, std::string updateLink) {
  // Every path below the riddle pages' folder; the catalogue tells which
  // are served.
  router.Prefix("GET", std::string(zorvane::RiddlePathPrefix),
                [current = std::move(current)](const Request& request, Response& response) {
                  // One catalogue for the whole page, even while it is edited.
                  const std::shared_ptr<const RiddleCatalog> catalog = current();
                  if (const Riddle* riddle = catalog->FindByPath(request.path)) {
                    SendGbkPage(response, RiddlePage(*catalog, *riddle));
                  } else {
                    SendNotFoundPage(request, response);
                  }
                });
  router.Get(UpdatePagePath, [link = std::move(updateLink)](const Request&, Response& response) {
    SendGbkPage(response, UpdatePage(link));
  });
  // An index without riddle markers: a group whose stored page path is empty
  // asks for the bare site address and must not find a riddle there.
  router.Get("/", [](const Request&, Response& response) { SendGbkPage(response, IndexPage()); });
  router.SetFallback(SendNotFoundPage);
}

}  // namespace riddle_site
