#include <unistd.h>

#include "console/console_platform.h"

namespace riddle_site {

bool FlushToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
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
