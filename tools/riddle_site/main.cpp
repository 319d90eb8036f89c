// riddle_site: serves the riddle pages and the update page on 127.0.0.1.
//
//   riddle_site [--port N] [--update-link URL]
//
// --port 0 takes a free port. Once the site accepts connections it prints
// "listening on <port>" on a line of its own, so that scripts can wait for it
// and learn the port. SIGINT, SIGTERM and SIGHUP stop it cleanly.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "site_routes.h"

namespace {

constexpr int DefaultPort = 8723;
constexpr char LoopbackAddress[] = "127.0.0.1";

struct Options {
  int port = DefaultPort;
  std::string updateLink;  // empty: the update page offers no link
};

void PrintUsage(std::ostream& out) {
  out << "usage: riddle_site [--port N] [--update-link URL]\n"
         "  --port N           port on 127.0.0.1 (default 8723; 0 picks a free one)\n"
         "  --update-link URL  let /update.html offer URL as an update (default: none)\n";
}

std::optional<int> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos) {
    return std::nullopt;
  }
  const int port = std::stoi(std::string(text));
  if (port > 65535) {
    return std::nullopt;
  }
  return port;
}

// Exits with status 2 on a bad command line.
Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--port" && hasValue) {
      const std::optional<int> port = ParsePort(argv[++i]);
      if (!port) {
        std::cerr << "riddle_site: bad port: " << argv[i] << "\n";
        std::exit(2);
      }
      options.port = *port;
    } else if (arg == "--update-link" && hasValue) {
      options.updateLink = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(std::cout);
      std::exit(0);
    } else {
      std::cerr << "riddle_site: unknown or incomplete option: " << arg << "\n";
      PrintUsage(std::cerr);
      std::exit(2);
    }
  }
  return options;
}

// Only SO_REUSEADDR: httplib's default also sets SO_REUSEPORT, which would
// let a second site bind a port that is already taken instead of failing.
void ReuseAddressOnly(socket_t sock) {
  int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

void LogRequest(const httplib::Request& request, const httplib::Response& response) {
  std::cout << request.method << " " << request.path << " " << response.status << std::endl;
}

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);

  // Blocked before any thread starts, so that only the waiter below takes them.
  const sigset_t stopSignals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  httplib::Server server;
  server.set_socket_options(ReuseAddressOnly);
  server.set_logger(LogRequest);
  riddle_site::AddRoutes(server, options.updateLink);

  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(LoopbackAddress);
  } else if (!server.bind_to_port(LoopbackAddress, port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << "riddle_site: cannot listen on " << LoopbackAddress << ":" << options.port
              << " (is the port in use?)\n";
    return 1;
  }

  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  });

  std::cout << "listening on " << port << std::endl;
  const bool listened = server.listen_after_bind();

  // Wakes the waiter when the server ended on its own.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return listened ? 0 : 1;
}
