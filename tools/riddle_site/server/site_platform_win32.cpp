#include <windows.h>

#include <atomic>
#include <cstdlib>

#include "server/site_platform.h"

namespace riddle_site {
namespace {

// Console control handlers are plain functions; this is the one to call.
std::function<void()>* stopHandler = nullptr;
std::atomic<bool> stopping{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // A second Ctrl-C while stopping: the user does not want to wait.
      if (stopping.exchange(true)) {
        std::_Exit(130);
      }
      if (stopHandler != nullptr) {
        (*stopHandler)();
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

StopRequests::StopRequests(std::function<void()> onStop) : onStop_(std::move(onStop)) {
  stopHandler = &onStop_;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopRequests::~StopRequests() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  stopHandler = nullptr;
}

std::string BundledRiddleFile() {
  // riddles.tsv beside the program: a service starts in another folder.
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length > 0 && length < MAX_PATH ? length : 0);
  const std::size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos ? "." : folder.substr(0, slash);
  return folder + "\\riddles.tsv";
}

}  // namespace riddle_site
