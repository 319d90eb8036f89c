// Group and member numbers come from the host and become file and section
// names; only texts that can do neither harm nor confusion there are used.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// False for the empty text, "." and "..", a Windows device name, a text
// holding a byte below 0x20 or any of \ / : * ? " < > | [ ] =, and a text
// that is not valid GBK.
bool IsSafeIdentifier(TextView text);

// True for CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, in any letter
// case, with or without an extension: on Windows such a file name opens a
// device, not a file. Refused on every platform, so that all behave alike.
bool IsWindowsDeviceName(TextView text);

}  // namespace zorvane
