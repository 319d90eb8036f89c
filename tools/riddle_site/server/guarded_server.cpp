#include "server/guarded_server.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "server/site_platform.h"

namespace riddle_site {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks whether the server is stopping.
constexpr std::chrono::milliseconds StopCheckInterval{200};
// How long a refused client may go on sending (read and dropped) before the
// connection closes: closing with unread bytes would reset the connection,
// and the client could lose the refusal.
constexpr std::chrono::seconds DrainTime{1};

// Set when the body of this thread's current request went beyond its limit:
// the library then answers 400, which the server replaces by a 413.
thread_local bool bodyRefused = false;

// Waits until sock can be read (or written). False at the deadline, on an
// error, or once the server is stopping.
bool WaitFor(socket_t sock, bool forWriting, Clock::time_point deadline,
             const std::atomic<bool>& stopping) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (stopping || left.count() <= 0) {
      return false;
    }
    const int ready = WaitForSocket(sock, forWriting,
                                    static_cast<int>(std::min(left, StopCheckInterval).count()));
    if (ready != 0) {
      return ready > 0;
    }
  }
}

void SocketAddress(socket_t sock, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof(address);
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  char host[NI_MAXHOST];
  char service[NI_MAXSERV];
  if ((peer ? getpeername(sock, raw, &length) : getsockname(sock, raw, &length)) == 0 &&
      getnameinfo(raw, length, host, sizeof(host), service, sizeof(service),
                  NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
    ip = host;
    port = std::atoi(service);
  }
}

// What the server itself needs of a request's head.
struct RequestHead {
  std::string method;
  std::string target;  // as sent, query included
  std::optional<std::uint64_t> contentLength;
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char c) {
           return std::tolower(static_cast<unsigned char>(c)) == lower;
         });
}

// The head up to its blank line; a head cut short gives what it holds.
RequestHead ParseHead(std::string_view head) {
  RequestHead parsed;
  std::string_view line = head.substr(0, head.find("\r\n"));
  const std::size_t space = line.find(' ');
  parsed.method = line.substr(0, space);
  if (space != line.npos) {
    const std::string_view rest = line.substr(space + 1);
    parsed.target = rest.substr(0, rest.find(' '));
  }
  for (std::size_t start = line.size() + 2; start < head.size();) {
    std::size_t end = head.find("\r\n", start);
    end = end == head.npos ? head.size() : end;
    line = head.substr(start, end - start);
    start = end + 2;
    if (StartsWithNoCase(line, "content-length:")) {
      std::string_view value = line.substr(15);
      value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
      value = value.substr(0, value.find_last_not_of(" \t") + 1);
      if (!value.empty() && value.find_first_not_of("0123456789") == value.npos) {
        // Twenty digits or more are beyond any limit.
        parsed.contentLength = value.size() < 20 ? std::stoull(std::string(value)) : UINT64_MAX;
      }
    }
  }
  return parsed;
}

enum class HeadRead { Complete, TooLarge, Gone };

// Reads from sock into pending until pending starts with a whole head, whose
// size goes to headSize. Gone: the client closed, went quiet past the
// deadline, or the server is stopping.
HeadRead ReadHead(socket_t sock, std::string& pending, std::size_t& headSize,
                  Clock::time_point deadline, const std::atomic<bool>& stopping) {
  std::size_t searched = 0;
  std::size_t lines = std::count(pending.begin(), pending.end(), '\n');
  for (;;) {
    const std::size_t end = pending.find("\r\n\r\n", searched);
    if (end != pending.npos) {
      headSize = end + 4;
      lines = std::count(pending.begin(), pending.begin() + headSize, '\n');
    }
    // The request line and the blank line come on top of the header lines.
    if ((end == pending.npos ? pending.size() : headSize) > MaxRequestHeadBytes ||
        lines > MaxHeaderLines + 2) {
      return HeadRead::TooLarge;
    }
    if (end != pending.npos) {
      return HeadRead::Complete;
    }
    searched = pending.size() < 3 ? 0 : pending.size() - 3;
    char buffer[4096];
    if (!WaitFor(sock, false, deadline, stopping)) {
      return HeadRead::Gone;
    }
    const ssize_t got = httplib::detail::read_socket(sock, buffer, sizeof(buffer), 0);
    if (got <= 0) {
      return HeadRead::Gone;
    }
    pending.append(buffer, static_cast<std::size_t>(got));
    lines += std::count(buffer, buffer + got, '\n');
  }
}

// One request's view of a connection: the bytes already read come first, no
// wait goes past the deadline, and reading beyond the limit (head and body
// together) fails and marks the body refused. The library's answer to that
// failure is dropped, for the server answers 413 instead.
class RequestStream final : public httplib::Stream {
 public:
  RequestStream(socket_t sock, std::string& pending, std::size_t limit, Clock::time_point deadline,
                const std::atomic<bool>& stopping)
      : sock_(sock), pending_(pending), limit_(limit), deadline_(deadline), stopping_(stopping) {}

  // Leaves in pending only what belongs to the following requests.
  ~RequestStream() override { pending_.erase(0, pendingRead_); }

  bool is_readable() const override {
    return pendingRead_ < pending_.size() || WaitFor(sock_, false, deadline_, stopping_);
  }
  bool is_writable() const override {
    return bodyRefused || WaitFor(sock_, true, deadline_, stopping_);
  }

  ssize_t read(char* ptr, size_t size) override {
    // One byte past the limit tells a body that is too long.
    size = std::min(size, limit_ + 1 - std::min(read_, limit_ + 1));
    ssize_t got = 0;
    if (pendingRead_ < pending_.size()) {
      got = static_cast<ssize_t>(std::min(size, pending_.size() - pendingRead_));
      std::memcpy(ptr, pending_.data() + pendingRead_, static_cast<std::size_t>(got));
      pendingRead_ += static_cast<std::size_t>(got);
    } else if (size > 0) {
      if (!WaitFor(sock_, false, deadline_, stopping_)) {
        return -1;
      }
      got = httplib::detail::read_socket(sock_, ptr, size, 0);
      if (got <= 0) {
        return got;
      }
    }
    read_ += static_cast<std::size_t>(got);
    if (read_ > limit_) {
      bodyRefused = true;
      return -1;
    }
    return got;
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (bodyRefused) {
      return static_cast<ssize_t>(size);
    }
    if (!WaitFor(sock_, true, deadline_, stopping_)) {
      return -1;
    }
    return httplib::detail::send_socket(sock_, ptr, size, 0);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    SocketAddress(sock_, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    SocketAddress(sock_, false, ip, port);
  }
  socket_t socket() const override { return sock_; }

 private:
  socket_t sock_;
  std::string& pending_;
  std::size_t pendingRead_ = 0;
  std::size_t limit_;
  std::size_t read_ = 0;
  Clock::time_point deadline_;
  const std::atomic<bool>& stopping_;
};

const char* StatusText(int status) {
  return status == 413 ? "Payload Too Large" : "Request Header Fields Too Large";
}

}  // namespace

GuardedServer::GuardedServer() {
  new_task_queue = [] { return new httplib::ThreadPool(ConnectionWorkers); };
  httplib::Server::set_logger(
      [this](const httplib::Request& request, const httplib::Response& response) {
        if (!bodyRefused && logger_) {
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
    bodyRefused = false;
    bool closed = false;
    {
      RequestStream stream(sock, pending, headSize + bodyLimit, deadline, stopping_);
      served = process_request(stream, left == 1, closed, nullptr);
    }
    if (bodyRefused) {
      Refuse(sock, 413, headText);
      bodyRefused = false;
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
