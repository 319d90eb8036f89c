#include "console/pages/local_time.h"

namespace riddle_site {

std::string LocalTimeText(std::time_t time) {
  std::tm local{};
  localtime_s(&local, &time);
  char text[32];
  return std::string(text, std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local));
}

}  // namespace riddle_site
