// File paths as the module builds them, made usable by the local file system.
#pragma once

#include <string>

#include "runtime/text.h"

namespace zorvane {

// path (up to its first NUL) as a POSIX path: every "\" that separates
// folders turned into "/", and the GBK text in UTF-8, which is how Linux
// spells file names (and how Windows programs running there store them).
// A byte from 0x80 up starts a two-byte GBK character whose second byte is
// never a separator, even when it is 0x5C. The run directory at the start of
// path stays as the file system spells it. The empty string when path is
// not valid GBK.
std::string NativePath(TextView path);

}  // namespace zorvane
