// zorvane-site: serves the riddle pages and the update page, or writes them
// as static files for another web server.
//
//   zorvane-site [--riddles FILE] [--listen ADDRESS] [--port N] [--update-link URL]
//                [--host-folder DIR] [--console-password TEXT | --console-password-file FILE]
//   zorvane-site export FOLDER [--riddles FILE] [--update-link URL]
//
// The operator's console is served under /console/.
// --port 0 takes a free port. Once the site accepts connections it prints
// "listening on <port>" on a line of its own, so that scripts can wait for it
// and learn the port. Ctrl-C (and a request of the system to end) stops it
// cleanly within a second, whoever is connected; a second Ctrl-C ends it at
// once.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/access/console_auth.h"
#include "console/console_routes.h"
#include "console/traffic_log.h"
#include "game/contract.h"
#include "host/command_line.h"
#include "host_folder/group_standings.h"
#include "riddles/riddle_file.h"
#include "riddles/riddle_store.h"
#include "server/line_log.h"
#include "server/site_platform.h"
#include "server/site_server.h"
#include "site/site_export.h"
#include "site/site_routes.h"

namespace riddle_site {
namespace {

constexpr int DefaultPort = 8723;

struct Options {
  std::string riddleFile = BundledRiddleFile();
  std::string address = "127.0.0.1";
  int port = DefaultPort;
  std::string updateLink;                   // empty: the update page offers no link
  std::optional<std::string> exportFolder;  // write the pages there instead of serving
  std::optional<std::string> hostFolder;    // the host program's folder, for the console
  std::optional<std::string> consolePassword;
};

void PrintUsage(std::ostream& out) {
  out << "usage: zorvane-site [--riddles FILE] [--listen ADDRESS] [--port N] [--update-link URL]\n"
         "                    [--host-folder DIR]\n"
         "                    [--console-password TEXT | --console-password-file FILE]\n"
         "       zorvane-site export FOLDER [--riddles FILE] [--update-link URL]\n"
         "  --riddles FILE     the riddles, a TSV or CSV file in UTF-8 (or GBK) (default: "
      << BundledRiddleFile()
      << ")\n"
         "  --listen ADDRESS   the address to serve on (default 127.0.0.1, this machine only;\n"
         "                     0.0.0.0 serves other machines too)\n"
         "  --port N           the port (default 8723; 0 picks a free one)\n"
         "  --update-link URL  let /update.html offer URL as an update (default: none)\n"
         "  --host-folder DIR  the chat-robot host program's folder: the console shows every\n"
         "                     group's riddle and its members' balances (read only)\n"
         "  --console-password TEXT, --console-password-file FILE\n"
         "                     the console's password, or a file whose first line is it\n"
         "                     (other users of this machine can see a command line's text)\n"
         "  export FOLDER      write every page as a static GBK file below FOLDER, for any\n"
         "                     web server: FOLDER"
      << zorvane::RiddlePathPrefix << "<id>" << zorvane::RiddlePathSuffix
      << ", update.html, index.html\n"
         "\n"
         "The operator's console, at http://ADDRESS:PORT/console/, lists, searches, adds,\n"
         "edits, deletes, imports and downloads the riddles (saved to the riddle file at once,\n"
         "the previous one kept as FILE.bak; a deleted riddle keeps its page for the groups\n"
         "on it), shows the groups of --host-folder with their members' balances, the site's\n"
         "requests, and when the module last fetched a riddle page and the update page.\n"
         "Listening on 127.0.0.1 it is open without a password; on another address it is off\n"
         "unless a password is given. With a password it always asks for it.\n";
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

[[noreturn]] void Refuse(const std::string& why) {
  std::cerr << "zorvane-site: " << why << "\n";
  PrintUsage(std::cerr);
  std::exit(2);
}

// The first line of the file, without blanks around it; exits with status 2
// when there is none.
std::string ReadPasswordFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string line;
  if (!file || !std::getline(file, line)) {
    Refuse("cannot read the console password file " + path);
  }
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) {
    Refuse("the console password file " + path + " starts with an empty line");
  }
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// Exits with status 2 on a bad command line.
Options ParseOptions(int argc, char** argv) {
  Options options;
  int first = 1;
  if (argc > 1 && std::string_view(argv[1]) == "export") {
    if (argc < 3) {
      Refuse("export needs a folder");
    }
    options.exportFolder = argv[2];
    first = 3;
  }
  using zorvane::host::ValueOption;
  const auto refusal = [](std::string why) { return std::optional<std::string>(std::move(why)); };
  const std::vector<zorvane::host::CommandLineOption> known = {
      {{"--port"},
       true,
       [&](const std::string& value) -> std::optional<std::string> {
         const std::optional<int> port = ParsePort(value);
         if (!port) {
           return refusal("bad port: " + value);
         }
         options.port = *port;
         return std::nullopt;
       }},
      ValueOption("--listen", options.address),
      ValueOption("--riddles", options.riddleFile),
      ValueOption("--update-link", options.updateLink),
      ValueOption("--host-folder", options.hostFolder),
      {{"--console-password"},
       true,
       [&](const std::string& value) -> std::optional<std::string> {
         if (value.empty()) {
           return refusal("the console password is empty");
         }
         options.consolePassword = value;
         return std::nullopt;
       }},
      {{"--console-password-file"},
       true,
       [&](const std::string& value) -> std::optional<std::string> {
         options.consolePassword = ReadPasswordFile(value);
         return std::nullopt;
       }},
      {{"--help", "-h"},
       false,
       [](const std::string&) -> std::optional<std::string> {
         PrintUsage(std::cout);
         std::exit(0);
       }},
  };
  if (const std::optional<std::string> refused =
          zorvane::host::ReadCommandLine(argc, argv, first, known)) {
    Refuse(*refused);
  }
  return options;
}

const char* DescribeConsole(ConsoleMode mode) {
  switch (mode) {
    case ConsoleMode::Open:
      return "open to this machine";
    case ConsoleMode::Password:
      return "asks for the password";
    case ConsoleMode::Off:
      return "off: give --console-password to use it from another machine";
  }
  return "";
}

int Serve(const Options& options, RiddleStore& riddles) {
  TrafficLog traffic;
  ConsoleAuth auth(ChooseConsoleMode(options.address, options.consolePassword),
                   options.consolePassword);
  const std::optional<HostFolder> hostFolder =
      options.hostFolder ? std::optional<HostFolder>(*options.hostFolder) : std::nullopt;
  Console console{riddles, traffic, auth, hostFolder ? &*hostFolder : nullptr};

  // Before the log and the server start their threads, which must not take
  // the stop signals; a request that comes before the server is made
  // stops it as soon as it is.
  std::atomic<bool> stopAsked{false};
  std::atomic<SiteServer*> running{nullptr};
  const StopRequests stopRequests([&] {
    stopAsked = true;
    if (SiteServer* server = running.load()) {
      server->Stop();
    }
  });
  LineLog log(stdout);
  SiteServer server({.catalog = [&riddles] { return riddles.catalog(); },
                     .updateLink = options.updateLink,
                     .console = &console,
                     .traffic = &traffic,
                     .log = [&log](std::string_view line) { log.Add(line); }});
  const std::optional<int> port = server.Listen(options.address, options.port);
  if (!port) {
    std::cerr << "zorvane-site: cannot listen on " << options.address << ":" << options.port
              << " (is the port in use by another program, or the address not one of this "
                 "machine's?)\n";
    return 1;
  }

  running = &server;
  if (stopAsked) {
    server.Stop();
  }
  std::cout << "listening on " << *port << std::endl;
  std::cout << "serving " << riddles.catalog()->riddles().size() << " riddles at http://"
            << options.address << ":" << *port << "/ (Ctrl-C stops)" << std::endl;
  std::cout << "console at http://" << options.address << ":" << *port << "/console/ ("
            << DescribeConsole(auth.mode()) << ")" << std::endl;
  server.Run();
  running = nullptr;
  log.Flush();
  std::cout << "stopped" << std::endl;
  return 0;
}

}  // namespace
}  // namespace riddle_site

int main(int argc, char** argv) {
  using namespace riddle_site;
  const Options options = ParseOptions(argc, argv);
  LoadedRiddles loaded = LoadRiddleFile(options.riddleFile);
  if (!loaded.problems.empty()) {
    std::cerr << "zorvane-site: bad riddle file: "
              << DescribeProblem(options.riddleFile, loaded.problems.front()) << "\n";
    if (loaded.problemCount > 1) {
      std::cerr << "zorvane-site: and " << loaded.problemCount - 1 << " more problems\n";
    }
    return 1;
  }
  if (loaded.encoding != TextEncoding::Utf8) {
    std::cout << "reading " << options.riddleFile << " as " << EncodingName(loaded.encoding)
              << ": it is not UTF-8 (the console saves it as UTF-8)" << std::endl;
  }
  RiddleStore riddles(options.riddleFile, std::move(loaded));
  if (const std::optional<Reason> problem = CheckChain(*riddles.entries())) {
    std::cerr << "zorvane-site: bad riddle file: " << options.riddleFile << ": " << problem->english
              << "\n";
    return 1;
  }
  if (options.exportFolder) {
    const RiddleCatalog& catalog = *riddles.catalog();
    if (const std::optional<std::string> failed =
            ExportSite(catalog, options.updateLink, *options.exportFolder)) {
      std::cerr << "zorvane-site: " << *failed << "\n";
      return 1;
    }
    std::cout << "wrote " << catalog.riddles().size() << " riddle pages, update.html and "
              << "index.html below " << *options.exportFolder << std::endl;
    return 0;
  }
  return Serve(options, riddles);
}
