// File paths as the module builds them, made usable by the local file system.
#pragma once

#include <string>

#include "runtime/text.h"

namespace zorvane {

// path (up to its first NUL) with every "\" that separates folders turned
// into "/". The module's paths mix both separators. A byte from 0x80 up
// starts a two-byte GBK character whose second byte is copied as it is,
// even when it is 0x5C.
std::string NativePath(TextView path);

}  // namespace zorvane
