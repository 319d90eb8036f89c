// The sign-in module's chat-event handler: the sign-in commands of a group
// member answered on the ledgers below the run directory.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// The reply to one chat event; the empty text means no reply. Only group
// messages that name a sign-in command are answered.
Text HandleSigninEvent(TextView message, TextView messageType, TextView group, TextView member,
                       TextView extra);

}  // namespace zorvane
