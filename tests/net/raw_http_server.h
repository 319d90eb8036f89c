// A loopback server that answers with raw bytes, for what a well-behaved
// HTTP server cannot do: stall, lie about the length, or show the request
// exactly as it arrived.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zorvane::testing {

class RawHttpServer {
 public:
  // Runs on the server's thread for each connection, after its request has
  // been read; the connection is closed when it returns.
  using Answer = std::function<void(RawHttpServer& server, int connection)>;

  explicit RawHttpServer(Answer answer);
  ~RawHttpServer();
  RawHttpServer(const RawHttpServer&) = delete;
  RawHttpServer& operator=(const RawHttpServer&) = delete;

  std::string base() const;
  // Each request's head: the request line and headers, up to the blank line.
  std::vector<std::string> requests() const;

  // For answers: send bytes; wait until the server is being destroyed.
  static void Send(int connection, const std::string& bytes);
  void StallUntilStopped();

 private:
  void Serve();
  std::string ReadHead(int connection);

  Answer answer_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace zorvane::testing
