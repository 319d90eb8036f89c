// The texts the two exports have handed out, kept alive until the next call
// of the same export or unload.
#pragma once

#include "runtime/text.h"

namespace zorvane {

Text& DescriptorSlot();
Text& ReplySlot();

// The unload hook: releases both results.
void ReleaseResults();

}  // namespace zorvane
