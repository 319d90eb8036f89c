#include "host/settings_folder.h"

namespace zorvane::host {

std::optional<std::string> SettingsFolder(const std::string& nativeFolder) {
  // The command line and the settings layer both speak the ANSI code page.
  return nativeFolder;
}

}  // namespace zorvane::host
