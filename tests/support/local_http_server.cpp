#include "support/local_http_server.h"

#include <stdexcept>

namespace zorvane::testing {

LocalHttpServer::LocalHttpServer() {
  server_.set_logger([this](const httplib::Request& request, const httplib::Response&) {
    std::lock_guard lock(mutex_);
    requests_.push_back({request.method, request.target, request.version, request.headers});
  });
}

LocalHttpServer::~LocalHttpServer() {
  server_.stop();
  if (thread_.joinable()) {
    thread_.join();
  }
}

void LocalHttpServer::Start() {
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) {
    throw std::runtime_error("no free loopback port");
  }
  // The socket is already listening, so requests made from now on queue up
  // until the thread accepts them.
  thread_ = std::thread([this] { server_.listen_after_bind(); });
}

std::string LocalHttpServer::base() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<ReceivedRequest> LocalHttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LocalHttpServer::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

}  // namespace zorvane::testing
