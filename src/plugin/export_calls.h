// What every module's two exports do around their own work: the result kept
// in its slot until the next call of the same export, nothing pointing into
// the host's buffers after a call, and nothing unwinding into the host.
#pragma once

#include "runtime/text.h"

namespace zorvane {

using DescriptorBuilder = Text (*)();
using ChatEventHandler = Text (*)(TextView message, TextView messageType, TextView group,
                                  TextView member, TextView extra);

// The descriptor export: builds the descriptor, keeps it in DescriptorSlot
// and returns it.
const char* AnswerInfo(DescriptorBuilder build);

// The event export: hands copies of the five arguments (null ones as empty
// texts) to handle, keeps the reply in ReplySlot and returns it, never null.
const char* AnswerChatEvent(ChatEventHandler handle, const char* message, const char* messageType,
                            const char* group, const char* member, const char* extra);

}  // namespace zorvane
