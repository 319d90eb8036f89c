#include "plugin/exports.h"

#include "game/chat_event.h"
#include "plugin/descriptor.h"
#include "plugin/export_calls.h"

using namespace zorvane;

const char* info() {
  return AnswerInfo(BuildDescriptor);
}

const char* ZORVANE_STDCALL Zorvane(const char* message, const char* messageType, const char* group,
                                    const char* member, const char* extra) {
  return AnswerChatEvent(HandleChatEvent, message, messageType, group, member, extra);
}
