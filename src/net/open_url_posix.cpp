// Opening a URL with the desktop's handler for it: xdg-open.
//
// xdg-open may keep running as long as the browser does, so it is not waited
// for. To leave no zombie in the host, a short-lived intermediate process
// starts it and ends at once; the host reaps only that intermediate, and
// xdg-open, orphaned, is reaped by the system. No thread, no signal handler
// and no shell are involved. Between fork and _exit the intermediate only
// calls posix_spawnp, whose arguments are all prepared before the fork.
#include <unistd.h>

#include <string>

#include "net/open_url.h"
#include "runtime/child_start_posix.h"

namespace zorvane {

void OpenUrl(std::optional<TextView> url) {
  const TextView given = url.value_or(TextView(DefaultOpenUrl));
  std::string target(UpToNul(given));
  std::string program = "xdg-open";
  char* const argv[] = {program.data(), target.data(), nullptr};
  // Its own session, so that the browser outlives signals sent to the host's group.
  const ChildStart start(-1, /*ownSession=*/true);
  const pid_t intermediate = fork();
  if (intermediate == 0) {
    pid_t ignored = 0;
    _exit(start.Spawn(&ignored, argv) == 0 ? 0 : 127);
  }
  if (intermediate > 0) {
    int status = 0;
    WaitForChild(intermediate, status);
  }
}

}  // namespace zorvane
