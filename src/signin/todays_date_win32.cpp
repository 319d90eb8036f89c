#include <windows.h>

#include <cstdio>

#include "signin/daily_signin.h"

namespace zorvane {

Text TodaysDate() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  char day[16];
  std::snprintf(day, sizeof day, "%04u-%02u-%02u", local.wYear, local.wMonth, local.wDay);
  return Text(day);
}

}  // namespace zorvane
