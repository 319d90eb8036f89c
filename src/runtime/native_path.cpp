#include "runtime/native_path.h"

#include "runtime/run_environment.h"

namespace zorvane {
namespace {

// The length of the run directory at the start of path, or 0. That folder
// came from the local file system, so its bytes (often UTF-8, not GBK) are
// already a native path and must not be read as GBK characters.
std::size_t NativeRunDirectoryPrefix(TextView path) {
  const Text runDirectory = RunDirectory();
  if (runDirectory.empty() || !path.starts_with(runDirectory)) {
    return 0;
  }
  const std::size_t end = runDirectory.size();
  const bool endsAtFolder = end == path.size() || path[end] == '/' || path[end] == '\\';
  return endsAtFolder ? end : 0;
}

}  // namespace

std::string NativePath(TextView path) {
  path = UpToNul(path);
  std::string native(path);
  for (std::size_t i = NativeRunDirectoryPrefix(path); i < native.size(); ++i) {
    if (StartsDoubleByteCharacter(native[i])) {
      ++i;  // The second byte of a two-byte character is never a separator.
    } else if (native[i] == '\\') {
      native[i] = '/';
    }
  }
  return native;
}

}  // namespace zorvane
