// What the site has served since it started: the last requests, the number
// of requests per path, and when the module last fetched a riddle page and
// the update page. Safe to use from the server's worker threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
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

// One request as the server hands it over, to be recorded.
struct RequestSeen {
  std::chrono::system_clock::time_point time;
  std::string_view client;
  std::string_view method;
  std::string_view path;
  int status = 0;
  std::size_t bytes = 0;
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

  // userAgent tells the module's requests from a browser's. Once the last
  // requests fill their ring, recording one allocates nothing.
  void Record(const RequestSeen& request, std::string_view userAgent);

  // The last requests, newest first.
  std::vector<TrafficEntry> Recent() const;

  // Requests per path since start, most requested first.
  std::vector<PathCount> Counts() const;

  ModuleFetches LastModuleFetches() const;

 private:
  mutable std::mutex mutex_;
  std::vector<TrafficEntry> recent_;  // a ring of KeptRequests, the newest at newest_
  std::size_t newest_ = 0;
  std::map<std::string, std::size_t, std::less<>> counts_;
  ModuleFetches moduleFetches_;
};

}  // namespace riddle_site
