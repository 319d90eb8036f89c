// What the console needs from the system, one file per platform.
#pragma once

#include <cstdio>
#include <string>

namespace riddle_site {

// Asks the system to put the file's written bytes on the disk; false when
// it could not.
bool FlushToDisk(std::FILE* file);

}  // namespace riddle_site

#include <ctime>

namespace riddle_site {

// A moment in the machine's local time: "2026-12-08 07:30:05".
std::string LocalTimeText(std::time_t time);

}  // namespace riddle_site
