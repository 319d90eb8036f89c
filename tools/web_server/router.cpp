#include "router.h"

#include <utility>

namespace web_server {
namespace {

bool MethodFits(const std::string& routeMethod, const std::string& method) {
  return routeMethod == method || (method == "HEAD" && routeMethod == "GET");
}

}  // namespace

void Router::Add(std::string method, std::string path, Handler handler, Runs runs) {
  routes_.push_back({std::move(method), std::move(path), false, std::move(handler), runs});
}

void Router::Get(std::string path, Handler handler, Runs runs) {
  Add("GET", std::move(path), std::move(handler), runs);
}

void Router::Post(std::string path, Handler handler, Runs runs) {
  Add("POST", std::move(path), std::move(handler), runs);
}

void Router::Prefix(std::string method, std::string prefix, Handler handler, Runs runs) {
  routes_.push_back({std::move(method), std::move(prefix), true, std::move(handler), runs});
}

void Router::SetFallback(Handler handler) {
  fallback_ = std::move(handler);
}

const Router::Route* Router::Find(const Request& request) const {
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

void Router::Handle(const Request& request, Response& response) const {
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

bool Router::Blocks(const Request& head) const {
  const Route* route = Find(head);
  return route != nullptr && route->runs == Runs::OnWorkers;
}

void Router::Install(Hooks& hooks) const {
  hooks.handle = [this](const Request& request, Response& response) { Handle(request, response); };
  hooks.blocks = [this](const Request& head) { return Blocks(head); };
}

}  // namespace web_server
