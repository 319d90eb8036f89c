#include <unistd.h>

#include "console/console_platform.h"
#include "runtime/gbk_utf8.h"

namespace riddle_site {

bool FlushToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}

std::string FolderForSettings(const std::string& commandLineFolder) {
  // Linux names files in UTF-8; the settings layer turns GBK names back.
  return zorvane::Utf8ToGbk(commandLineFolder).value_or("");
}

}  // namespace riddle_site

namespace riddle_site {

std::string LocalTimeText(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  return std::string(text, std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local));
}

}  // namespace riddle_site
