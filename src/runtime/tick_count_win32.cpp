#include <windows.h>

#include "runtime/tick_count.h"

namespace zorvane {

std::uint32_t GetTickCount() {
  return ::GetTickCount();
}

}  // namespace zorvane
