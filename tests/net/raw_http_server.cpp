#include "raw_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace zorvane::testing {
namespace {

constexpr int PollMs = 20;

}  // namespace

RawHttpServer::RawHttpServer(Answer answer) : answer_(std::move(answer)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot listen on loopback");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

RawHttpServer::~RawHttpServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopped_.notify_all();
  thread_.join();
  close(listener_);
}

std::string RawHttpServer::base() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> RawHttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void RawHttpServer::Send(int connection, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      return;
    }
    sent += static_cast<std::size_t>(n);
  }
}

void RawHttpServer::StallUntilStopped() {
  std::unique_lock lock(mutex_);
  stopped_.wait(lock, [this] { return stopping_.load(); });
}

void RawHttpServer::Serve() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, PollMs) <= 0) {
      continue;
    }
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
      continue;
    }
    const std::string head = ReadHead(connection);
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(head);
    }
    answer_(*this, connection);
    close(connection);
  }
}

std::string RawHttpServer::ReadHead(int connection) {
  std::string head;
  while (!stopping_ && head.find("\r\n\r\n") == std::string::npos) {
    pollfd waiting{connection, POLLIN, 0};
    if (poll(&waiting, 1, PollMs) <= 0) {
      continue;
    }
    char chunk[1024];
    const ssize_t n = recv(connection, chunk, sizeof chunk, 0);
    if (n <= 0) {
      break;
    }
    head.append(chunk, static_cast<std::size_t>(n));
  }
  return head;
}

}  // namespace zorvane::testing
