// The host's folder, files and folders on a POSIX system. The game's paths mix
// "\" and "/", so every path goes through NativePath first.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "runtime/native_path.h"
#include "runtime/run_directory_platform.h"
#include "runtime/run_environment.h"

namespace zorvane {
namespace {

// The absolute path of the running executable; empty when it cannot be read.
std::string ReadOwnExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) {
      return std::string();
    }
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      return path;
    }
    // readlink cuts silently: try again with more room.
    path.resize(path.size() * 2);
  }
}

}  // namespace

// A host in the root folder gives the empty text, as a Windows host at
// C:\host.exe gives "C:": the game appends "/Zorva" and "\config\..." to the run
// directory, which then name /Zorva and /config/... as they should. When the
// executable cannot be found, "." keeps the module's paths below the current
// directory instead of the root folder.
Text DiscoverHostFolder() {
  const std::string executable = ReadOwnExecutablePath();
  const std::size_t lastSlash = executable.rfind('/');
  if (lastSlash == std::string::npos) {
    return Text(".");
  }
  return Text(executable.data(), lastSlash);
}

void EnterFolder(const Text& folder) {
  const std::string native = folder.empty() ? std::string("/") : NativePath(folder);
  // Nothing to do about a failure: the current directory simply stays.
  [[maybe_unused]] const int ignored = chdir(native.c_str());
}

bool FileExists(TextView path) {
  const std::string native = NativePath(path);
  struct stat info;
  return !native.empty() && stat(native.c_str(), &info) == 0;
}

bool CreateDir(TextView path) {
  const std::string native = NativePath(path);
  return !native.empty() && mkdir(native.c_str(), 0777) == 0;
}

}  // namespace zorvane
