// Chooses a request's handler by its method and path, and tells the server
// which handlers may block.
//
//   web_server::Router router;
//   router.Get("/", ServeIndex);
//   router.Prefix("GET", "/pages/", ServePage);
//   router.Post("/upload", SaveUpload, web_server::Runs::OnWorkers);
//   web_server::Hooks hooks;
//   router.Install(hooks);
#pragma once

#include <string>
#include <vector>

#include "web_server.h"

namespace web_server {

enum class Runs {
  Inline,     // cheap: answered on the connection's own thread
  OnWorkers,  // may block (files, imports): run on the worker pool
};

class Router {
 public:
  // Requests with exactly this method and path. HEAD requests take the GET
  // route, and the server sends no body.
  void Add(std::string method, std::string path, Handler handler, Runs runs = Runs::Inline);
  void Get(std::string path, Handler handler, Runs runs = Runs::Inline);
  void Post(std::string path, Handler handler, Runs runs = Runs::Inline);
  // Requests whose path starts with prefix, when no exact route matches;
  // the longest prefix wins.
  void Prefix(std::string method, std::string prefix, Handler handler, Runs runs = Runs::Inline);
  // Every other request, with the status set to 404 already. Unset: a
  // plain-text 404 page.
  void SetFallback(Handler handler);

  void Handle(const Request& request, Response& response) const;
  bool Blocks(const Request& head) const;
  // Sets the hooks' handle and blocks to this router, which must outlive
  // the server.
  void Install(Hooks& hooks) const;

 private:
  struct Route {
    std::string method;
    std::string path;
    bool prefix;
    Handler handler;
    Runs runs;
  };
  const Route* Find(const Request& request) const;

  std::vector<Route> routes_;
  Handler fallback_;
};

}  // namespace web_server
