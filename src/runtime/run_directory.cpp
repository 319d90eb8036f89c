// The host program's folder, recorded once while the module is loaded.
#include <utility>

#include "runtime/run_directory_platform.h"
#include "runtime/run_environment.h"

namespace zorvane {
namespace {

// Built on first use, so that recording it during the module's static start-up
// does not depend on the order in which the module's files are initialised.
Text& RecordedRunDirectory() {
  static Text directory;
  return directory;
}

}  // namespace

void RecordRunDirectory() {
  Text folder = DiscoverHostFolder();
  // Loaded into the host, the module makes the host's folder the current one,
  // so that relative paths mean the same to the host and to the module.
  EnterFolder(folder);
  RecordedRunDirectory() = std::move(folder);
}

Text RunDirectory() {
  return RecordedRunDirectory();
}

void SetRunDirectoryForTesting(TextView directory) {
  RecordedRunDirectory() = Text(UpToNul(directory));
}

Text CutBeforeLastBackslash(TextView executablePath) {
  std::size_t lastBackslash = TextView::npos;
  for (std::size_t i = 0; i < executablePath.size() && executablePath[i] != '\0'; ++i) {
    const auto byte = static_cast<unsigned char>(executablePath[i]);
    if (byte >= 0x80) {
      // A two-byte character: its second byte, even 0x5C, is not a backslash.
      if (i + 1 >= executablePath.size() || executablePath[i + 1] == '\0') {
        break;
      }
      ++i;
    } else if (byte == '\\') {
      lastBackslash = i;
    }
  }
  if (lastBackslash == TextView::npos) {
    return Text();
  }
  return Text(executablePath.substr(0, lastBackslash));
}

}  // namespace zorvane
