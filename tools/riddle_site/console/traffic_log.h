// What the site has served since it started: the last requests, the number
// of requests per path, and when the module last fetched a riddle page and
// the update page. Safe to use from the server's worker threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace riddle_site {

struct TrafficEntry {
  std::chrono::system_clock::time_point time;
  std::string client;  // address of the client
  std::string method;
  std::string path;  // as requested, decoded
  int status = 0;
  std::size_t bytes = 0;  // of the response body
};

struct PathCount {
  std::string path;
  std::size_t count = 0;
};

// When and by whom the module last fetched a page; nullopt when it never did.
struct ModuleFetches {
  std::optional<TrafficEntry> riddlePage;
  std::optional<TrafficEntry> updatePage;
};

class TrafficLog {
 public:
  static constexpr std::size_t KeptRequests = 300;
  // Distinct paths counted one by one; a client that asks for endless new
  // paths must not grow the table without bound: the rest count together.
  static constexpr std::size_t CountedPaths = 500;
  static constexpr char OtherPaths[] = "(其他路径)";

  // userAgent tells the module's requests from a browser's.
  void Record(TrafficEntry entry, const std::string& userAgent);

  // The last requests, newest first.
  std::vector<TrafficEntry> Recent() const;

  // Requests per path since start, most requested first.
  std::vector<PathCount> Counts() const;

  ModuleFetches LastModuleFetches() const;

 private:
  mutable std::mutex mutex_;
  std::deque<TrafficEntry> recent_;
  std::map<std::string, std::size_t> counts_;
  ModuleFetches moduleFetches_;
};

}  // namespace riddle_site
