// A counted byte sequence: the body of an HTTP response. May hold NUL bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace zorvane {

using ByteBuffer = std::vector<std::uint8_t>;

}  // namespace zorvane
