// Reading a request off a connection within bounds: the server's side of
// httplib's stream, which waits no longer than a deadline, stops when the
// server stops, and refuses a head or a body beyond its limit.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace riddle_site {

using Clock = std::chrono::steady_clock;

// The request line and the header lines together (431 beyond).
inline constexpr std::size_t MaxRequestHeadBytes = 32 * 1024;
inline constexpr std::size_t MaxHeaderLines = 100;

// Set when the body of this thread's current request went beyond its limit:
// the library then answers 400, which the server replaces by a 413.
bool& BodyRefused();

// Waits until sock can be read (or written). False at the deadline, on an
// error, or once the server is stopping.
bool WaitFor(socket_t sock, bool forWriting, Clock::time_point deadline,
             const std::atomic<bool>& stopping);

// The address of the socket's peer (or its own), as numbers.
void SocketAddress(socket_t sock, bool peer, std::string& ip, int& port);

// What the server itself needs of a request's head.
struct RequestHead {
  std::string method;
  std::string target;  // as sent, query included
  std::optional<std::uint64_t> contentLength;
};

// The head up to its blank line; a head cut short gives what it holds.
RequestHead ParseHead(std::string_view head);

enum class HeadRead { Complete, TooLarge, Gone };

// Reads from sock into pending until pending starts with a whole head, whose
// size goes to headSize. Gone: the client closed, went quiet past the
// deadline, or the server is stopping.
HeadRead ReadHead(socket_t sock, std::string& pending, std::size_t& headSize,
                  Clock::time_point deadline, const std::atomic<bool>& stopping);

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
    return BodyRefused() || WaitFor(sock_, true, deadline_, stopping_);
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
      BodyRefused() = true;
      return -1;
    }
    return got;
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (BodyRefused()) {
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

}  // namespace riddle_site
