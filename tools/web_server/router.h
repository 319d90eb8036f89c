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
#include <utility>
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
  // HEAD requests take the GET routes.
  static bool MethodFits(const std::string& routeMethod, const std::string& method) {
    return routeMethod == method || (method == "HEAD" && routeMethod == "GET");
  }

  std::vector<Route> routes_;
  Handler fallback_;
};

inline void Router::Add(std::string method, std::string path, Handler handler, Runs runs) {
  routes_.push_back({std::move(method), std::move(path), false, std::move(handler), runs});
}

inline void Router::Get(std::string path, Handler handler, Runs runs) {
  Add("GET", std::move(path), std::move(handler), runs);
}

inline void Router::Post(std::string path, Handler handler, Runs runs) {
  Add("POST", std::move(path), std::move(handler), runs);
}

inline void Router::Prefix(std::string method, std::string prefix, Handler handler, Runs runs) {
  routes_.push_back({std::move(method), std::move(prefix), true, std::move(handler), runs});
}

inline void Router::SetFallback(Handler handler) {
  fallback_ = std::move(handler);
}

inline const Router::Route* Router::Find(const Request& request) const {
  const Route* best = nullptr;
  for (const Route& route : routes_) {
    if (!MethodFits(route.method, request.method)) {
      continue;
    }
    if (!route.prefix && route.path == request.path) {
      return &route;
    }
    if (route.prefix && request.path.starts_with(route.path) &&
        (best == nullptr || route.path.size() > best->path.size())) {
      best = &route;
    }
  }
  return best;
}

inline void Router::Handle(const Request& request, Response& response) const {
  if (const Route* route = Find(request)) {
    route->handler(request, response);
    return;
  }
  response.status = 404;
  if (fallback_) {
    fallback_(request, response);
  } else {
    response.SetContent("404 Not Found\n", "text/plain; charset=utf-8");
  }
}

inline bool Router::Blocks(const Request& head) const {
  const Route* route = Find(head);
  return route != nullptr && route->runs == Runs::OnWorkers;
}

inline void Router::Install(Hooks& hooks) const {
  hooks.handle = [this](const Request& request, Response& response) { Handle(request, response); };
  hooks.blocks = [this](const Request& head) { return Blocks(head); };
}

}  // namespace web_server
