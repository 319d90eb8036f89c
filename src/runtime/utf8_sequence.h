// How long a UTF-8 character is, told by its first byte.
#pragma once

#include <cstddef>

namespace zorvane {

// The bytes of the UTF-8 character that lead starts: 1 for ASCII and for a
// byte that starts none, else 2 to 4 as its high bits say.
inline std::size_t Utf8SequenceLength(char lead) {
  const auto byte = static_cast<unsigned char>(lead);
  return byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
}

}  // namespace zorvane
