#include "console/pages/local_time.h"

#include <mutex>

namespace riddle_site {

std::string LocalTimeText(std::time_t time) {
  // localtime's result may be shared by the whole process: one at a time.
  static std::mutex sharedResult;
  std::tm local{};
  {
    const std::lock_guard lock(sharedResult);
    if (const std::tm* now = std::localtime(&time)) {
      local = *now;
    }
  }
  char text[32];
  return std::string(text, std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local));
}

}  // namespace riddle_site
