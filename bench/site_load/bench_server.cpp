// site_bench_server: serves a folder's files from memory on the web server
// library, as the riddle site serves its pages, so that the load harness
// can measure the server against nginx serving the same files.
//
//   site_bench_server --root DIR [--listen ADDRESS] [--port N]
//                     [--blocking-prefix PATH] [--log] [--io-threads N]
//
// "/" and every path ending in "/" serve the index.html below them. Paths
// starting with --blocking-prefix run on the worker pool, as the console's
// handlers that write files do. --log prints a line a request, as the site
// does. Prints "listening on <port>" once it accepts connections; Ctrl-C
// (or SIGTERM) stops it.
#include <pthread.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "web_server.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  fs::path root;
  std::string address = "127.0.0.1";
  int port = 0;
  std::optional<std::string> blockingPrefix;
  bool log = false;
  unsigned ioThreads = 0;
};

[[noreturn]] void Usage() {
  std::cerr << "usage: site_bench_server --root DIR [--listen ADDRESS] [--port N]\n"
               "                         [--blocking-prefix PATH] [--log] [--io-threads N]\n";
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--root" && hasValue) {
      options.root = argv[++i];
    } else if (arg == "--listen" && hasValue) {
      options.address = argv[++i];
    } else if (arg == "--port" && hasValue) {
      options.port = std::stoi(argv[++i]);
    } else if (arg == "--blocking-prefix" && hasValue) {
      options.blockingPrefix = argv[++i];
    } else if (arg == "--io-threads" && hasValue) {
      options.ioThreads = static_cast<unsigned>(std::stoul(argv[++i]));
    } else if (arg == "--log") {
      options.log = true;
    } else {
      Usage();
    }
  }
  if (options.root.empty()) {
    Usage();
  }
  return options;
}

// Every regular file below root by its URL path ("/dmmy/19499.html").
std::unordered_map<std::string, std::string> LoadFiles(const fs::path& root) {
  std::unordered_map<std::string, std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      std::ifstream file(entry.path(), std::ios::binary);
      std::string path(1, '/');
      path += fs::relative(entry.path(), root).generic_string();
      files[path] = std::string(std::istreambuf_iterator<char>(file), {});
    }
  }
  return files;
}

std::string_view ContentType(std::string_view path) {
  // The riddle site's pages are GBK.
  return path.ends_with(".html") ? "text/html; charset=gbk" : "application/octet-stream";
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const std::unordered_map<std::string, std::string> files = LoadFiles(options.root);

  // The stop signals go to a thread of their own, blocked before the server
  // starts any other; a shell ignores SIGINT in a program it starts in the
  // background, so it is taken back first.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  signal(SIGINT, SIG_DFL);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  web_server::Hooks hooks;
  hooks.handle = [&files](const web_server::Request& request, web_server::Response& response) {
    auto found = files.find(request.path);
    if (found == files.end() && request.path.ends_with('/')) {
      found = files.find(request.path + "index.html");
    }
    if (found == files.end()) {
      response.status = 404;
      response.SetContent("404 Not Found\n", "text/plain");
      return;
    }
    response.SetContent(found->second, ContentType(found->first));
  };
  if (options.blockingPrefix) {
    hooks.blocks = [prefix = *options.blockingPrefix](const web_server::Request& head) {
      return head.path.starts_with(prefix);
    };
  }
  if (options.log) {
    hooks.log = [](const web_server::Request& request, const web_server::Response& response) {
      std::cout << web_server::LogLine(request, response) + "\n" << std::flush;
    };
  }
  web_server::Options serverOptions;
  serverOptions.ioThreads = options.ioThreads;
  web_server::Server server(serverOptions, std::move(hooks));

  const std::optional<int> port = server.Listen(options.address, options.port);
  if (!port) {
    std::cerr << "site_bench_server: cannot listen on " << options.address << ":" << options.port
              << "\n";
    return 1;
  }
  std::thread stopper([&server, &stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
  });
  std::cout << "serving " << files.size() << " files from " << options.root.string() << "\n"
            << "listening on " << *port << std::endl;
  server.Run();
  stopper.join();
  std::cout << "stopped" << std::endl;
  return 0;
}
