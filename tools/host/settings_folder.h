// A host's folder as the module's settings layer and the game's paths take
// folder names.
#pragma once

#include <optional>
#include <string>

namespace zorvane::host {

// The folder named as the file system names it (on a command line, or as a
// program finds its own) in GBK, as settings files and the game's path
// functions take it; nullopt when it cannot be named so.
std::optional<std::string> SettingsFolder(const std::string& nativeFolder);

}  // namespace zorvane::host
