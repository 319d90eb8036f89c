// The host's folder, files and folders on Windows, through the ANSI Win32 calls
// (the module's texts are in the ANSI code page, GBK).
#include <windows.h>

#include "runtime/run_directory_platform.h"
#include "runtime/run_environment.h"

namespace zorvane {

Text DiscoverHostFolder() {
  char path[260];
  // No module handle: the process's executable, not this library.
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  // The returned length bounds the path even when a cut path lacks its NUL.
  return CutBeforeLastBackslash(TextView(path, length <= sizeof path ? length : 0));
}

void EnterFolder(const Text& folder) {
  SetCurrentDirectoryA(folder.c_str());
}

// FindFirstFileA, so that a folder counts as well as a file and wildcards in
// the last part of the path match.
bool FileExists(TextView path) {
  const Text terminated(UpToNul(path));
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(terminated.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return false;
  }
  FindClose(search);
  return true;
}

bool CreateDir(TextView path) {
  const Text terminated(UpToNul(path));
  return CreateDirectoryA(terminated.c_str(), nullptr) != 0;
}

}  // namespace zorvane
