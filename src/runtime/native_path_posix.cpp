#include "runtime/native_path.h"

#include "runtime/gbk_utf8.h"
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
  const std::size_t prefix = NativeRunDirectoryPrefix(path);
  std::string rest(path.substr(prefix));
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (StartsDoubleByteCharacter(rest[i])) {
      ++i;  // The second byte of a two-byte character is never a separator.
    } else if (rest[i] == '\\') {
      rest[i] = '/';
    }
  }
  const std::optional<std::string> utf8 = GbkToUtf8(rest);
  if (!utf8) {
    return std::string();
  }
  return std::string(path.substr(0, prefix)) + *utf8;
}

}  // namespace zorvane
