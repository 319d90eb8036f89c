// Apart from the game's descriptor, whose update offer needs the network
// and the desktop: the sign-in module joins its lines here too and needs
// neither.
#include "plugin/descriptor_constants.h"

namespace zorvane {

Text DescriptorText(const DescriptorLayout& lines) {
  Text descriptor;
  for (const TextView line : lines) {
    descriptor = ConcatTexts({descriptor, line, DescriptorLineEnd});
  }
  return descriptor;
}

}  // namespace zorvane
