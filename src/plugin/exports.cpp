#include "plugin/exports.h"

#include "game/chat_event.h"
#include "plugin/descriptor.h"
#include "plugin/result_slots.h"

using namespace zorvane;

const char* info() {
  // The new descriptor is complete before the previous one is released.
  Text descriptor = BuildDescriptor();
  DescriptorSlot() = std::move(descriptor);
  return DescriptorSlot().c_str();
}

const char* ZORVANE_STDCALL Zorvane(const char* message, const char* messageType, const char* group,
                                    const char* member, const char* extra) {
  // Copies, so that nothing points into the host's buffers after the call.
  const Text arguments[] = {CopyText(message), CopyText(messageType), CopyText(group),
                            CopyText(member), CopyText(extra)};
  Text reply =
      HandleChatEvent(arguments[0], arguments[1], arguments[2], arguments[3], arguments[4]);
  ReplySlot() = std::move(reply);
  // Never null: a host that reads the reply with strlen must not crash.
  return ReplySlot().c_str();
}
