#include "signin_plugin/signin_exports.h"

#include "plugin/export_calls.h"
#include "signin/signin_event.h"
#include "signin_plugin/signin_descriptor.h"

using namespace zorvane;

const char* info() {
  return AnswerInfo(BuildSigninDescriptor);
}

const char* ZORVANE_STDCALL ZorvaneSignin(const char* message, const char* messageType,
                                          const char* group, const char* member,
                                          const char* extra) {
  return AnswerChatEvent(HandleSigninEvent, message, messageType, group, member, extra);
}
