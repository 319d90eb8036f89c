// An event-driven HTTP/1.1 server made to hold against hostile clients: a
// few I/O threads serve every connection, heads and bodies are bounded, each
// request has a deadline, connections are capped per client address, and
// stopping closes every connection at once. Handlers are plain functions;
// those that may block (file writes) run on a small worker pool, so that a
// slow one never holds up the others.
//
//   web_server::Hooks hooks;
//   hooks.handle = [](const web_server::Request& request, web_server::Response& response) {
//     response.SetContent("hello " + request.path, "text/plain; charset=utf-8");
//   };
//   hooks.blocks = [](const web_server::Request& head) { return head.method == "POST"; };
//   web_server::Server server({}, std::move(hooks));
//   const std::optional<int> port = server.Listen("127.0.0.1", 0);
//   server.Run();  // until server.Stop() from another thread (e.g. on Ctrl-C)
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "http_message.h"

namespace web_server {

struct Options {
  // The request line and the header lines together (431 beyond).
  std::size_t maxHeadBytes = 32 * 1024;
  std::size_t maxHeaderLines = 100;
  // The body of a request when Hooks::bodyLimit does not choose (413 beyond).
  std::size_t maxBodyBytes = 64 * 1024;
  // From the first byte of a request to the last byte of its answer; a
  // client that is slower is cut off.
  std::chrono::milliseconds requestDeadline{15000};
  // How long a connection may stay open without a request.
  std::chrono::milliseconds idleTimeout{5000};
  // Connections open at once from one client address, and in all; further
  // ones are closed at once. On Linux, Listen raises the process's limit of
  // open files to fit maxConnections, as far as the hard limit allows.
  std::size_t maxConnectionsPerAddress = 128;
  std::size_t maxConnections = 10000;
  // Requests on one kept-alive connection before the server closes it.
  std::size_t maxRequestsPerConnection = 1000;
  // Threads that serve the connections (0: one per processor), and threads
  // that run the handlers of requests that Hooks::blocks marks.
  unsigned ioThreads = 0;
  unsigned blockingWorkers = 4;
};

struct ServerCore;

using Handler = std::function<void(const Request&, Response&)>;

// What the owner decides. Hooks are called from several threads at once.
struct Hooks {
  // Answers a request that passed the checks. An exception answers 500.
  Handler handle;
  // Given the head (no body yet): true when handle may block for this
  // request, which then runs on the worker pool. Unset: nothing blocks.
  std::function<bool(const Request& head)> blocks;
  // Given the head: the largest body to take (413 beyond). Unset:
  // Options::maxBodyBytes.
  std::function<std::size_t(const Request& head)> bodyLimit;
  // Writes the page of a refusal the server answers itself: 400 (a request
  // it cannot read), 413, 431 and 500; status and a plain-text page are set
  // already. The request holds what was read of it.
  std::function<void(const Request& request, Response& response)> errorPage;
  // Called once for every answer, refusals included, before it is sent.
  std::function<void(const Request&, const Response&)> log;
};

class Server {
 public:
  Server(Options options, Hooks hooks);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds address:port (0: a free port) and listens, once, before Run. The
  // port is never shared with another program. Returns the port, or nullopt
  // when the address is not one of this machine's or the port is taken.
  std::optional<int> Listen(const std::string& address, int port);

  // Serves until Stop(); returns once every connection is closed and every
  // running handler has returned (handlers are never interrupted, so that a
  // file being written is written whole). A server runs once.
  void Run();

  // Makes Run return within a fraction of a second, whoever is connected.
  // Any thread may call it, also before Run.
  void Stop();

 private:
  std::unique_ptr<ServerCore> core_;
};

}  // namespace web_server
