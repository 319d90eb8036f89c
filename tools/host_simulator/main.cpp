// host_simulator: plays the chat-robot host for the module on a terminal.
//
// Loads the module, calls info once, makes sure the member has a sign-in
// balance, then passes every line typed (or, with --demo, a scripted game)
// to Zorvane as a group message of one member and shows the reply and the
// member's balance after it.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>

#include "demo.h"
#include "encoding.h"
#include "options.h"
#include "runtime/gbk_to_utf8.h"
#include "session.h"
#include "signin_ledger.h"
#include "zorvane_module.h"

namespace host_simulator {

std::optional<std::string> AbsolutePath(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) {
    return std::nullopt;
  }
  return std::string(resolved);
}

namespace {

// The folder of this program: what the module takes as its run directory.
std::string ExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) {
    return ".";
  }
  const std::string executable(path, static_cast<std::size_t>(length));
  return executable.substr(0, executable.rfind('/'));
}

// Points a test build of the module at the site and run directory of the
// command line; returns the run directory that the module uses.
std::string ConfigureModule(ZorvaneModule& module, const Options& options) {
  const std::string ownFolder = ExecutableFolder();
  if (!options.siteBase && !options.runDirectory) {
    return ownFolder;
  }
  const std::string runDirectory = options.runDirectory.value_or(ownFolder);
  const std::string site = options.siteBase.value_or(ZORVANE_DEFAULT_SITE_BASE);
  const std::string updatePage =
      options.siteBase ? *options.siteBase + "/update.html" : ZORVANE_DEFAULT_UPDATE_PAGE_URL;
  if (!module.ConfigureForTesting(runDirectory, site, updatePage)) {
    std::cerr << "note: this module has its riddle site and run directory built in; "
                 "--site and --run-dir are ignored\n";
    return ownFolder;
  }
  return runDirectory;
}

void Chat(Session& session) {
  session.ShowDescriptor();
  Say("\n输入群消息后按回车（Ctrl-D 退出）。发送“开始”看谜题，再发答案。\n");
  session.ShowBalance();
  const bool terminal = isatty(STDIN_FILENO);
  std::string line;
  while (true) {
    if (terminal) {
      std::cout << "> " << std::flush;
    }
    if (!std::getline(std::cin, line)) {
      break;
    }
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!terminal) {
      std::cout << "> " << line << "\n";  // a transcript shows what was sent
    }
    const std::optional<std::string> message = Utf8ToGbk(line);
    if (!message) {
      std::cout << "  (not sent: the message is not UTF-8 or holds characters that GBK lacks)\n";
      continue;
    }
    session.Send(*message);
  }
  std::cout << "\n";
}

int Run(const Options& options) {
  ZorvaneModule module(options.modulePath);
  if (!module.loaded()) {
    std::cerr << "host_simulator: " << module.error() << "\n";
    return 2;
  }
  const std::string runDirectory = ConfigureModule(module, options);

  const SigninLedger ledger(runDirectory, options.group, options.member);
  if (!ledger.SeedIfMissing()) {
    std::cerr << "host_simulator: cannot write the sign-in file "
              << zorvane::GbkToUtf8(ledger.FilePath()) << "\n";
    return 2;
  }
  std::cout << "module: " << options.modulePath << "\nrun directory: " << runDirectory << "\ngroup "
            << options.group << ", member " << options.member << "\n";

  Session session(module, ledger, options.group, options.member);
  if (options.demo) {
    return RunDemo(session, ledger);
  }
  Chat(session);
  return 0;
}

}  // namespace
}  // namespace host_simulator

int main(int argc, char** argv) {
  bool helpRequested = false;
  std::optional<host_simulator::Options> options =
      host_simulator::ParseOptions(argc, argv, helpRequested);
  if (!options) {
    return helpRequested ? 0 : 2;
  }
  if (options->runDirectory) {
    // The module joins its file names onto the run directory as it is.
    options->runDirectory = host_simulator::AbsolutePath(*options->runDirectory);
    if (!options->runDirectory) {
      std::cerr << "host_simulator: --run-dir names no folder\n";
      return 2;
    }
  }
  return host_simulator::Run(*options);
}
