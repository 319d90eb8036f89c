#include <cstdio>

#include "runtime/fatal_stop.h"

namespace zorvane {

void StopOnRefusedAllocation(std::size_t bytes) {
  // Built on the stack: the heap has just refused.
  char message[64];
  std::snprintf(message, sizeof message, "分配 %llu 字节内存失败!",
                static_cast<unsigned long long>(bytes));
  FatalStop(message);
}

}  // namespace zorvane
