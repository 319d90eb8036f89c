// Bytes as lowercase hex pairs, each followed by a blank ("d5 e6 "), so that
// a failed comparison of GBK texts shows which byte differs.
#pragma once

#include <string>

namespace zorvane::testing {

inline std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char byte : bytes) {
    hex += {digits[byte >> 4], digits[byte & 15], ' '};
  }
  return hex;
}

}  // namespace zorvane::testing
