#include "host/settings_folder.h"

#include "runtime/gbk_utf8.h"

namespace zorvane::host {

std::optional<std::string> SettingsFolder(const std::string& nativeFolder) {
  // Linux names files in UTF-8; the settings layer turns GBK names back.
  return Utf8ToGbk(nativeFolder);
}

}  // namespace zorvane::host
