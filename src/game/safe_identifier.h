// Group and member numbers come from the host and become file and section
// names; only texts that can do neither harm nor confusion there are used.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// False for the empty text, "." and "..", and for a text holding a byte
// below 0x20 or any of \ / : * ? " < > | [ ] =, and for a text that is not
// valid GBK.
bool IsSafeIdentifier(TextView text);

}  // namespace zorvane
