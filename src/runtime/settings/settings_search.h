// Finding a name in a large settings file quickly: the sign-in data file of
// a big group holds a hundred thousand sections, and every read and write
// looks for one of them.
#pragma once

#include <cstddef>

#include "runtime/text.h"

namespace zorvane {

// The first position from pos on where needle starts in haystack, or npos.
// needle must not be empty.
std::size_t FindBytes(TextView haystack, TextView needle, std::size_t pos);

// The same with ASCII letters matched without regard to case (as the
// Windows API matches names); every other byte must match exactly.
std::size_t FindBytesIgnoringCase(TextView haystack, TextView needle, std::size_t pos);

}  // namespace zorvane
