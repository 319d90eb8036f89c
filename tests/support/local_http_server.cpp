#include "support/local_http_server.h"

#include <sys/socket.h>

#include <stdexcept>

namespace zorvane::testing {

LocalHttpServer::LocalHttpServer() {
  // SO_REUSEADDR alone: a fixed port that a finished site left in TIME_WAIT
  // can be bound again at once, while one that a live server holds stays
  // refused. The library's default may be SO_REUSEPORT instead, which does
  // neither.
  server_.set_socket_options([](socket_t socket) {
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  });
  // Recorded before the handler answers, so that a client that has its
  // response finds its request in the record.
  server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    std::lock_guard lock(mutex_);
    requests_.push_back({request.method, request.target, request.version, request.headers});
    return httplib::Server::HandlerResponse::Unhandled;
  });
}

LocalHttpServer::~LocalHttpServer() {
  server_.stop();
  if (thread_.joinable()) {
    thread_.join();
  }
}

void LocalHttpServer::Start(int port) {
  if (port == 0) {
    port_ = server_.bind_to_any_port("127.0.0.1");
  } else {
    port_ = server_.bind_to_port("127.0.0.1", port) ? port : -1;
  }
  if (port_ <= 0) {
    throw std::runtime_error("no free loopback port");
  }
  // The socket is already listening, so requests made from now on queue up
  // until the thread accepts them. Waiting for the loop to run keeps a stop
  // right after Start from coming before it, which would never be seen.
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  while (!server_.is_running()) {
    std::this_thread::yield();
  }
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
