#include "game/safe_identifier.h"

namespace zorvane {
namespace {

// Path separators, wildcards and names reserved by file systems, and the
// bytes that delimit sections and keys in a settings file.
constexpr TextView UnsafeBytes = "\\/:*?\"<>|[]=";

bool IsUnsafeByte(unsigned char byte) {
  return byte < 0x20 || UnsafeBytes.find(static_cast<char>(byte)) != TextView::npos;
}

// GBK: a first byte 0x81 to 0xFE, then a second byte 0x40 to 0xFE but 0x7F.
// Anything else cannot be spelled as a file name on Linux, and reads back
// differently through the Windows API.
bool IsValidGbk(TextView text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(text[i]);
    if (first < 0x80) {
      continue;
    }
    if (first == 0x80 || first == 0xFF || ++i == text.size()) {
      return false;
    }
    const auto second = static_cast<unsigned char>(text[i]);
    if (second < 0x40 || second == 0x7F || second == 0xFF) {
      return false;
    }
  }
  return true;
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
  return IsValidGbk(text);
}

}  // namespace zorvane
