// What finding and entering the host's folder needs from the platform.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// The folder of the host program's executable, without a trailing separator.
Text DiscoverHostFolder();

// Makes folder the process's current directory; a failure changes nothing.
void EnterFolder(const Text& folder);

}  // namespace zorvane
