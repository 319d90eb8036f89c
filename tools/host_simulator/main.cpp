// host_simulator: plays the chat-robot host for the module on a terminal.
//
// Loads the module (and the sign-in module, when one is named), makes sure
// the member has a sign-in balance, calls info once, then routes every line
// typed (or read from a script; or, with --demo, a scripted game) as a host
// would: the simulator's own "/" commands switch member or group and pay or
// show balances; messages go to Zorvane (and ZorvaneSignin) as group
// messages, without a module's command word when they start with it.
// Replies and balances are shown after each.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "demo.h"
#include "game/contract.h"
#include "host.h"
#include "host/settings_folder.h"
#include "host/zorvane_module.h"
#include "line_reader.h"
#include "options.h"
#include "riddles/riddle_file.h"

namespace host_simulator {

using zorvane::host::ZorvaneModule;

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
  if (!module.ConfigureForTesting(runDirectory.c_str(), site, updatePage)) {
    std::cerr << "note: this module has its riddle site and run directory built in; "
                 "--site and --run-dir are ignored\n";
    return ownFolder;
  }
  return runDirectory;
}

// The sign-in module works in the game's run directory: a test build is
// pointed at it; a product module can only use this program's folder.
bool ConfigureSignin(ZorvaneModule& signin, const std::string& runDirectory) {
  if (runDirectory == ExecutableFolder() ||
      signin.ConfigureForTesting(runDirectory.c_str(), "", "")) {
    return true;
  }
  std::cerr << "host_simulator: this sign-in module keeps its ledgers in its host's folder, "
            << "not in " << runDirectory << ": load its test build\n";
  return false;
}

// Every line of input goes to the host; a transcript (input from a pipe or
// a script) shows each line before what it caused.
void Converse(Host& host, LineReader& reader, bool skipComments) {
  while (const std::optional<std::string> line = reader.Next("> ")) {
    if (skipComments && (line->empty() || line->starts_with('#'))) {
      continue;
    }
    if (!reader.interactive()) {
      std::cout << "> " << *line << "\n";
    }
    if (!host.Handle(*line)) {
      return;
    }
  }
  std::cout << "\n";
}

void Chat(Host& host, const std::string& descriptor) {
  host.ShowDescriptor(descriptor);
  const std::string start(zorvane::StartWord);
  std::cout << "\nType group messages and press Enter; /help lists the simulator's commands.\n"
            << "Send " << ForTerminal(start) << " (or " << ForTerminal(host.commandWord() + start)
            << ") for a riddle, then guess.\n";
  if (host.hasSignin()) {
    std::cout << "Send " << ForTerminal(zorvane::SigninWord) << " once a day for money.\n";
  }
  host.ShowBalance();
  LineReader reader(std::cin);
  Converse(host, reader, false);
}

// Plays the lines of a file (or of standard input for "-").
int PlayScript(Host& host, const std::string& script) {
  if (script == "-") {
    LineReader reader(std::cin);
    Converse(host, reader, true);
    return 0;
  }
  std::ifstream file(script);
  if (!file) {
    std::cerr << "host_simulator: cannot read the script " << script << ": " << std::strerror(errno)
              << "\n";
    return 2;
  }
  LineReader reader(file);
  Converse(host, reader, true);
  return 0;
}

int Run(const Options& options) {
  ZorvaneModule module(options.modulePath);
  if (!module.loaded()) {
    std::cerr << "host_simulator: " << module.error() << "\n";
    return 2;
  }
  const std::string runDirectory = ConfigureModule(module, options);
  std::optional<ZorvaneModule> signin;
  if (options.signinModule) {
    signin.emplace(*options.signinModule, zorvane::host::SigninEventExport);
    if (!signin->loaded()) {
      std::cerr << "host_simulator: " << signin->error() << "\n";
      return 2;
    }
    if (!ConfigureSignin(*signin, runDirectory)) {
      return 2;
    }
  }
  const std::optional<std::string> settingsFolder = zorvane::host::SettingsFolder(runDirectory);
  if (!settingsFolder) {
    std::cerr << "host_simulator: the run directory " << runDirectory
              << " has a name that GBK cannot spell\n";
    return 2;
  }
  Host host(module, *settingsFolder, options.group, options.member, std::cout,
            signin ? &*signin : nullptr);
  if (!host.SeedMember()) {
    return 2;
  }
  if (!options.script) {
    std::cout << "module: " << options.modulePath
              << (options.signinModule ? "\nsign-in module: " + *options.signinModule : "")
              << "\nrun directory: " << runDirectory << "\ngroup " << options.group << ", member "
              << options.member << "\n";
  }
  // A host calls info once after loading the module; it also makes the
  // game's folder, without which the game keeps no state.
  const std::string descriptor = host.CallInfo();
  if (options.demo) {
    riddle_site::LoadedRiddles loaded = riddle_site::LoadRiddleFile(options.riddleFile);
    if (!loaded.problems.empty()) {
      std::cerr << "host_simulator: bad riddle file: "
                << riddle_site::DescribeProblem(options.riddleFile, loaded.problems.front())
                << "\n";
      return 2;
    }
    return RunDemo(host, riddle_site::CatalogOf(loaded), descriptor);
  }
  if (options.script) {
    return PlayScript(host, *options.script);
  }
  Chat(host, descriptor);
  return 0;
}

}  // namespace
}  // namespace host_simulator

int main(int argc, char** argv) {
  // Line editing counts UTF-8 characters by the terminal's locale.
  std::setlocale(LC_CTYPE, "");
  bool helpRequested = false;
  std::optional<host_simulator::Options> options =
      host_simulator::ParseOptions(argc, argv, helpRequested);
  if (!options) {
    return helpRequested ? 0 : 2;
  }
  // Loading the game makes the host's folder the current one: the sign-in
  // module, loaded next, is found from where the command was given.
  if (options->signinModule) {
    options->signinModule =
        host_simulator::AbsolutePath(*options->signinModule).value_or(*options->signinModule);
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
