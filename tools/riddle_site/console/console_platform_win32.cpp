#include <io.h>
#include <windows.h>

#include "console/console_platform.h"

namespace riddle_site {

bool FlushToDisk(std::FILE* file) {
  return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FALSE;
}

}  // namespace riddle_site

namespace riddle_site {

std::string LocalTimeText(std::time_t time) {
  std::tm local{};
  localtime_s(&local, &time);
  char text[32];
  return std::string(text, std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local));
}

}  // namespace riddle_site
