// Moments as the console's pages show them, in the machine's local time.
#pragma once

#include <ctime>
#include <string>

namespace riddle_site {

// "2026-12-08 07:30:05"
std::string LocalTimeText(std::time_t time);

}  // namespace riddle_site
