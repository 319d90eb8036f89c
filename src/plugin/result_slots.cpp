#include "plugin/result_slots.h"

namespace zorvane {

Text& DescriptorSlot() {
  static Text slot;
  return slot;
}

Text& ReplySlot() {
  static Text slot;
  return slot;
}

void ReleaseResults() {
  Text().swap(DescriptorSlot());
  Text().swap(ReplySlot());
}

}  // namespace zorvane
