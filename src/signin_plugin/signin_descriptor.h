// The sign-in module's descriptor.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// The ten lines, in the game's layout. Unlike the game's info, nothing
// else happens: the sign-in module makes its folder when it first writes,
// and has no update page of its own.
Text BuildSigninDescriptor();

}  // namespace zorvane
