// An HTTP server on 127.0.0.1 at a free port, running on its own thread for
// the life of the object, that records every request it receives.
#pragma once

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zorvane::testing {

struct ReceivedRequest {
  std::string method;
  std::string target;   // path and query as sent on the request line
  std::string version;  // "HTTP/1.0"
  httplib::Headers headers;
};

class LocalHttpServer {
 public:
  LocalHttpServer();
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // Register handlers before calling Start. Port 0 takes a free port.
  httplib::Server& server() { return server_; }
  void Start(int port = 0);

  int port() const { return port_; }
  // "http://127.0.0.1:<port>"
  std::string base() const;

  std::vector<ReceivedRequest> requests() const;
  void ClearRequests();

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<ReceivedRequest> requests_;
};

}  // namespace zorvane::testing
