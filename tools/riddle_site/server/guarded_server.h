// The site's HTTP server, made to hold against hostile clients: a request's
// head and body are bounded, every request has a deadline, many connections
// are served at once, and stopping ends the open connections too.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace riddle_site {

// The body of a request to a path without a limit of its own (413 beyond).
inline constexpr std::size_t MaxRequestBody = 64 * 1024;
// From the first byte of a request to the last byte of its response.
inline constexpr std::chrono::seconds RequestDeadline{15};
// Connections served at the same time; further ones wait for a worker.
inline constexpr std::size_t ConnectionWorkers = 64;

class GuardedServer : public httplib::Server {
 public:
  GuardedServer();

  // Lets requests whose path starts with pathPrefix carry bodies of up to
  // maxBody bytes instead of MaxRequestBody. Set before listening.
  void SetBodyLimit(std::string pathPrefix, std::size_t maxBody);

  // Logs every answered request, including those refused before routing.
  // Hides the library's own setter, which must not be called directly.
  GuardedServer& set_logger(httplib::Logger logger);

  // Stops listening and ends the open connections, so that listening returns
  // within a fraction of a second whoever is connected. Any thread may call it.
  void Stop();

 private:
  bool process_and_close_socket(socket_t sock) override;

  bool ServeConnection(socket_t sock);
  std::size_t BodyLimitFor(const std::string& target) const;
  void Refuse(socket_t sock, int status, const std::string& head);
  bool Register(socket_t sock);
  void Unregister(socket_t sock);

  std::vector<std::pair<std::string, std::size_t>> bodyLimits_;
  httplib::Logger logger_;
  std::atomic<bool> stopping_{false};
  std::mutex openMutex_;
  std::set<socket_t> open_;  // connections being served
};

}  // namespace riddle_site
