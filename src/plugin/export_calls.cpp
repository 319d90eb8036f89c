#include "plugin/export_calls.h"

#include <exception>
#include <new>

#include "plugin/result_slots.h"
#include "runtime/fatal_stop.h"

namespace zorvane {
namespace {

// Nothing may unwind into the host, which is not C++. Texts never throw (a
// refused allocation stops the process); other heap users may.
template <class Produce>
Text Guarded(Produce produce) {
  try {
    return produce();
  } catch (const std::bad_alloc&) {
    FatalStop("分配内存失败!");
  } catch (...) {
    return Text();
  }
}

}  // namespace

const char* AnswerInfo(DescriptorBuilder build) {
  // The new descriptor is complete before the previous one is released.
  Text descriptor = Guarded(build);
  DescriptorSlot() = std::move(descriptor);
  return DescriptorSlot().c_str();
}

const char* AnswerChatEvent(ChatEventHandler handle, const char* message, const char* messageType,
                            const char* group, const char* member, const char* extra) {
  // Copies, so that nothing points into the host's buffers after the call.
  const Text arguments[] = {CopyText(message), CopyText(messageType), CopyText(group),
                            CopyText(member), CopyText(extra)};
  Text reply = Guarded(
      [&] { return handle(arguments[0], arguments[1], arguments[2], arguments[3], arguments[4]); });
  ReplySlot() = std::move(reply);
  // Never null: a host that reads the reply with strlen must not crash.
  return ReplySlot().c_str();
}

}  // namespace zorvane
