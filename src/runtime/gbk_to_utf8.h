// GBK texts for programs that speak UTF-8 (zenity, a terminal).
//
// Linux only: the definition lives in gbk_to_utf8_posix.cpp, which Windows
// builds leave out, so nothing that Windows builds may call it.
#pragma once

#include <string>

#include "runtime/text.h"

namespace zorvane {

// gbk up to its first NUL as UTF-8. A byte that starts no GBK character, or
// a character cut off at the end, shows as "?". Should the system know no
// GBK at all, ASCII passes through and every other byte shows as "?".
std::string GbkToUtf8(TextView gbk);

}  // namespace zorvane
