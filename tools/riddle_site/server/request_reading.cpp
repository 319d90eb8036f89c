#include "server/request_reading.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "server/site_platform.h"

namespace riddle_site {
namespace {

// How often a wait looks whether the server is stopping.
constexpr std::chrono::milliseconds StopCheckInterval{200};

thread_local bool bodyRefused = false;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char c) {
           return std::tolower(static_cast<unsigned char>(c)) == lower;
         });
}

}  // namespace

bool& BodyRefused() {
  return bodyRefused;
}

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

}  // namespace riddle_site
