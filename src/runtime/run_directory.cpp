// The host program's folder, recorded once while the module is loaded.
#include "runtime/run_directory_platform.h"
#include "runtime/run_environment.h"

namespace zorvane {

// Declared with the rest of the run environment; defined here, in its one
// file for every platform, so that its bytes are the module's GBK wherever
// the header is read.
const TextView DefaultMessageCaption = "信息：";

namespace {

// Built on first use, so that recording it during the module's static start-up
// does not depend on the order in which the module's files are initialised.
Text& RecordedRunDirectory() {
  static Text directory;
  return directory;
}

}  // namespace

void RecordRunDirectory() {
  RecordedRunDirectory() = DiscoverHostFolder();
  // Loaded into the host, the module makes the host's folder the current one,
  // so that relative paths mean the same to the host and to the module.
  // Recorded first: a path that starts with the run directory keeps the file
  // system's spelling of it (UTF-8 on Linux) instead of being read as GBK.
  EnterFolder(RecordedRunDirectory());
}

Text RunDirectory() {
  return RecordedRunDirectory();
}

void SetRunDirectoryForTesting(TextView directory) {
  RecordedRunDirectory() = Text(UpToNul(directory));
}

Text CutBeforeLastBackslash(TextView executablePath) {
  const TextView path = UpToNul(executablePath);
  std::size_t lastBackslash = TextView::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (StartsDoubleByteCharacter(path[i])) {
      ++i;  // The second byte, even 0x5C, is not a backslash.
    } else if (path[i] == '\\') {
      lastBackslash = i;
    }
  }
  if (lastBackslash == TextView::npos) {
    return Text();
  }
  return Text(path.substr(0, lastBackslash));
}

}  // namespace zorvane
