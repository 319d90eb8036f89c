#include "game/safe_identifier.h"

namespace zorvane {
namespace {

// Path separators, wildcards and names reserved by file systems, and the
// bytes that delimit sections and keys in a settings file.
constexpr TextView UnsafeBytes = "\\/:*?\"<>|[]=";

bool IsUnsafeByte(unsigned char byte) {
  return byte < 0x20 || UnsafeBytes.find(static_cast<char>(byte)) != TextView::npos;
}

}  // namespace

bool IsSafeIdentifier(TextView text) {
  if (text.empty() || text == "." || text == "..") {
    return false;
  }
  for (const char byte : text) {
    // Checked byte by byte, the second byte of a double-byte character
    // included: a reader that splits paths bytewise must see no separator.
    if (IsUnsafeByte(static_cast<unsigned char>(byte))) {
      return false;
    }
  }
  return true;
}

}  // namespace zorvane
