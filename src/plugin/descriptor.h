// The module's descriptor, with the game-folder check and the update offer.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// The ten-line descriptor. Also makes the game folder when it is missing and
// offers an update link found on the update page.
Text BuildDescriptor();

}  // namespace zorvane
