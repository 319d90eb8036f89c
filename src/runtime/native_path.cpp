#include "runtime/native_path.h"

namespace zorvane {

std::string NativePath(TextView path) {
  path = path.substr(0, path.find('\0'));
  std::string native(path);
  for (std::size_t i = 0; i < native.size(); ++i) {
    if ((static_cast<unsigned char>(native[i]) & 0x80) != 0) {
      ++i;  // The second byte of a two-byte character is never a separator.
    } else if (native[i] == '\\') {
      native[i] = '/';
    }
  }
  return native;
}

}  // namespace zorvane
