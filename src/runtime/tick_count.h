// Milliseconds since the system started, cut to 32 bits.
#pragma once

#include <cstdint>

namespace zorvane {

std::uint32_t GetTickCount();

}  // namespace zorvane
