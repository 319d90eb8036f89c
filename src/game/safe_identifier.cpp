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

bool IsWindowsDeviceName(TextView text) {
  // Windows looks only at the name before the first dot, without the blanks
  // after it: "con", "NUL.ini" and "Com1 .txt" all name a device.
  TextView name = text.substr(0, text.find('.'));
  name = name.substr(0, name.find_last_not_of(' ') + 1);
  if (name.size() != 3 && name.size() != 4) {
    return false;
  }
  char folded[4];
  for (std::size_t i = 0; i < name.size(); ++i) {
    folded[i] = FoldAsciiLetter(name[i]);
  }
  const TextView stem(folded, 3);
  if (name.size() == 3) {
    return stem == "con" || stem == "prn" || stem == "aux" || stem == "nul";
  }
  return (stem == "com" || stem == "lpt") && folded[3] >= '1' && folded[3] <= '9';
}

bool IsSafeIdentifier(TextView text) {
  if (text.empty() || text == "." || text == ".." || IsWindowsDeviceName(text)) {
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
