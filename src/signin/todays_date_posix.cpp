#include <ctime>

#include "signin/daily_signin.h"

namespace zorvane {

Text TodaysDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char day[16] = "";
  if (localtime_r(&now, &local) != nullptr) {
    std::strftime(day, sizeof day, "%Y-%m-%d", &local);
  }
  return Text(day);
}

}  // namespace zorvane
