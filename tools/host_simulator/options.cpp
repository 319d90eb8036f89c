#include "options.h"

#include <iostream>
#include <string_view>
#include <vector>

#include "host/command_line.h"
#include "host_commands.h"

namespace host_simulator {
namespace {

void PrintUsage(std::ostream& out) {
  out << "usage: host_simulator [--module PATH] [--signin-module PATH] [--group G] [--member M]\n"
         "                      [--demo | --script FILE] [--site URL] [--run-dir DIR]\n"
         "  --module PATH  the module to load (default: " ZORVANE_DEFAULT_MODULE
         ")\n"
         "  --signin-module PATH\n"
         "                 the sign-in module to load beside it (zorvane-signin.so): every\n"
         "                 message goes to both, and members sign in with 签到\n"
         "  --group G      the group number passed with every event (default 123456)\n"
         "  --member M     the sender's number (default 10001)\n"
         "  --demo         play a short scripted game, check the replies and exit\n"
         "  --riddles FILE the riddle site's collection, which --demo checks the replies\n"
         "                 against (default: " ZORVANE_BUNDLED_RIDDLES
         ")\n"
         "  --script FILE  send the lines of FILE (- for standard input) one by one,\n"
         "                 show what happens and exit; lines starting with # are skipped\n"
         "  --site URL     riddle site for a test build of the module (its update page\n"
         "                 is URL/update.html); the product module keeps its own\n"
         "  --run-dir DIR  run directory for a test build of the module (default:\n"
         "                 this program's folder, which the product module uses)\n";
}

}  // namespace

std::optional<Options> ParseOptions(int argc, char** argv, bool& helpRequested) {
  Options options;
  options.modulePath = ZORVANE_DEFAULT_MODULE;
  options.riddleFile = ZORVANE_BUNDLED_RIDDLES;
  helpRequested = false;
  using zorvane::host::FlagOption;
  using zorvane::host::ValueOption;
  const std::vector<zorvane::host::CommandLineOption> known = {
      ValueOption("--module", options.modulePath),
      ValueOption("--signin-module", options.signinModule),
      ValueOption("--group", options.group),
      ValueOption("--member", options.member),
      ValueOption("--site", options.siteBase),
      ValueOption("--run-dir", options.runDirectory),
      ValueOption("--riddles", options.riddleFile),
      ValueOption("--script", options.script),
      FlagOption("--demo", options.demo),
      {{"--help", "-h"},
       false,
       [&](const std::string&) -> std::optional<std::string> {
         helpRequested = true;
         return "";  // stops reading: the usage is all there is to do
       }},
  };
  if (const std::optional<std::string> refused =
          zorvane::host::ReadCommandLine(argc, argv, 1, known)) {
    if (helpRequested) {
      PrintUsage(std::cout);
    } else {
      std::cerr << "host_simulator: " << *refused << "\n";
      PrintUsage(std::cerr);
    }
    return std::nullopt;
  }
  if (options.demo && options.script) {
    std::cerr << "host_simulator: --demo and --script exclude each other\n";
    return std::nullopt;
  }
  if (!IsNumber(options.group) || !IsNumber(options.member)) {
    std::cerr << "host_simulator: --group and --member take numbers\n";
    return std::nullopt;
  }
  if (options.siteBase && options.siteBase->ends_with('/')) {
    options.siteBase->pop_back();
  }
  return options;
}

}  // namespace host_simulator
