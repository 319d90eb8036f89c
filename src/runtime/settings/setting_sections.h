// The section names of a settings file, for programs around the module that
// show what a file holds (the module itself only reads and writes keys).
#pragma once

#include <vector>

#include "runtime/text.h"

namespace zorvane {

// The names of the file's sections in file order, as a read would address
// them: header lines as the settings layer recognises them, blanks trimmed,
// a name that repeats (in any ASCII letter case) listed once. Empty when the
// file is missing or unreadable.
std::vector<Text> ReadSectionNames(TextView fileName);

}  // namespace zorvane
