// The host simulator's command line.
#pragma once

#include <optional>
#include <string>

namespace host_simulator {

struct Options {
  std::string modulePath;                   // the module to load
  std::optional<std::string> signinModule;  // the sign-in module to load beside it
  std::string group = "123456";             // UTF-8 as typed
  std::string member = "10001";             // UTF-8 as typed
  bool demo = false;                        // play the scripted game and exit
  std::string riddleFile;                   // the site's riddles, which the demo checks against
  std::optional<std::string> script;        // read the lines from this file ("-": stdin)
  std::optional<std::string> siteBase;      // point a test build at this riddle site
  std::optional<std::string> runDirectory;  // ... and at this run directory
};

// The options, or nullopt after printing why the command line is wrong (or
// the usage, when asked for: then helpRequested is set).
std::optional<Options> ParseOptions(int argc, char** argv, bool& helpRequested);

}  // namespace host_simulator
