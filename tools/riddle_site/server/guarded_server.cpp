#include "server/guarded_server.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "server/request_reading.h"
#include "server/site_platform.h"

namespace riddle_site {
namespace {

// How long a refused client may go on sending (read and dropped) before the
// connection closes: closing with unread bytes would reset the connection,
// and the client could lose the refusal.
constexpr std::chrono::seconds DrainTime{1};

const char* StatusText(int status) {
  return status == 413 ? "Payload Too Large" : "Request Header Fields Too Large";
}

}  // namespace

GuardedServer::GuardedServer() {
  new_task_queue = [] { return new httplib::ThreadPool(ConnectionWorkers); };
  httplib::Server::set_logger(
      [this](const httplib::Request& request, const httplib::Response& response) {
        if (!BodyRefused() && logger_) {
          logger_(request, response);
        }
      });
}

void GuardedServer::SetBodyLimit(std::string pathPrefix, std::size_t maxBody) {
  bodyLimits_.emplace_back(std::move(pathPrefix), maxBody);
}

GuardedServer& GuardedServer::set_logger(httplib::Logger logger) {
  logger_ = std::move(logger);
  return *this;
}

void GuardedServer::Stop() {
  {
    const std::lock_guard<std::mutex> lock(openMutex_);
    stopping_ = true;
    for (const socket_t sock : open_) {
      ShutDownSocket(sock, false);
    }
  }
  // As the library's stop(), but also before listening has begun.
  const socket_t listening = svr_sock_.exchange(INVALID_SOCKET);
  if (listening != INVALID_SOCKET) {
    ShutDownSocket(listening, false);
    httplib::detail::close_socket(listening);
  }
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  const bool served = Register(sock) && ServeConnection(sock);
  Unregister(sock);
  ShutDownSocket(sock, false);
  httplib::detail::close_socket(sock);
  return served;
}

bool GuardedServer::ServeConnection(socket_t sock) {
  std::string pending;  // bytes read but not yet served
  bool served = false;
  for (std::size_t left = keep_alive_max_count_; left > 0; --left) {
    if (pending.empty() &&
        !WaitFor(sock, false, Clock::now() + std::chrono::seconds(keep_alive_timeout_sec_),
                 stopping_)) {
      break;
    }
    const Clock::time_point deadline = Clock::now() + RequestDeadline;
    std::size_t headSize = 0;
    const HeadRead head = ReadHead(sock, pending, headSize, deadline, stopping_);
    if (head == HeadRead::TooLarge) {
      Refuse(sock, 431, pending);
      return false;
    }
    if (head == HeadRead::Gone) {
      break;
    }
    const std::string headText = pending.substr(0, headSize);
    const RequestHead parsed = ParseHead(headText);
    const std::size_t bodyLimit = BodyLimitFor(parsed.target);
    if (parsed.contentLength && *parsed.contentLength > bodyLimit) {
      Refuse(sock, 413, headText);
      return false;
    }
    BodyRefused() = false;
    bool closed = false;
    {
      RequestStream stream(sock, pending, headSize + bodyLimit, deadline, stopping_);
      served = process_request(stream, left == 1, closed, nullptr);
    }
    if (BodyRefused()) {
      Refuse(sock, 413, headText);
      BodyRefused() = false;
      return false;
    }
    if (!served || closed) {
      break;
    }
  }
  return served;
}

std::size_t GuardedServer::BodyLimitFor(const std::string& target) const {
  std::size_t longest = 0;
  std::size_t limit = MaxRequestBody;
  for (const auto& [prefix, maxBody] : bodyLimits_) {
    if (target.compare(0, prefix.size(), prefix) == 0 && prefix.size() >= longest) {
      longest = prefix.size();
      limit = maxBody;
    }
  }
  return limit;
}

// Answers status and closes, after logging the request as far as it came.
void GuardedServer::Refuse(socket_t sock, int status, const std::string& head) {
  const std::string body = std::to_string(status) + " " + StatusText(status) + "\n";
  const std::string answer =
      "HTTP/1.1 " + std::to_string(status) + " " + StatusText(status) +
      "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
      "\r\nConnection: close\r\n\r\n" + body;
  const Clock::time_point deadline = Clock::now() + DrainTime;
  for (std::size_t sent = 0; sent < answer.size();) {
    if (!WaitFor(sock, true, deadline, stopping_)) {
      break;
    }
    const ssize_t n =
        httplib::detail::send_socket(sock, answer.data() + sent, answer.size() - sent, 0);
    if (n <= 0) {
      break;
    }
    sent += static_cast<std::size_t>(n);
  }
  if (logger_) {
    const RequestHead parsed = ParseHead(head);
    httplib::Request request;
    request.method = parsed.method;
    request.path =
        httplib::detail::decode_url(parsed.target.substr(0, parsed.target.find('?')), false);
    SocketAddress(sock, true, request.remote_addr, request.remote_port);
    httplib::Response response;
    response.status = status;
    logger_(request, response);
  }
  ShutDownSocket(sock, true);
  char buffer[4096];
  while (WaitFor(sock, false, deadline, stopping_) &&
         httplib::detail::read_socket(sock, buffer, sizeof(buffer), 0) > 0) {
  }
}

bool GuardedServer::Register(socket_t sock) {
  const std::lock_guard<std::mutex> lock(openMutex_);
  if (stopping_) {
    return false;
  }
  open_.insert(sock);
  return true;
}

void GuardedServer::Unregister(socket_t sock) {
  const std::lock_guard<std::mutex> lock(openMutex_);
  open_.erase(sock);
}

}  // namespace riddle_site
