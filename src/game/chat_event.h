// The riddle game: one chat event in, one reply out.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// The reply to one chat event; the empty text means no reply.
Text HandleChatEvent(TextView message, TextView messageType, TextView group, TextView member,
                     TextView extra);

}  // namespace zorvane
