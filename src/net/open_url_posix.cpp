// Opening a URL with the desktop's handler for it: xdg-open.
//
// xdg-open may keep running as long as the browser does, so it is not waited
// for. To leave no zombie in the host, a short-lived intermediate process
// starts it and ends at once; the host reaps only that intermediate, and
// xdg-open, orphaned, is reaped by the system. No thread, no signal handler
// and no shell are involved. Between fork and _exit the intermediate only
// calls posix_spawnp, whose arguments are all prepared before the fork.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "net/open_url.h"

namespace zorvane {
namespace {

// What xdg-open starts with: no terminal input or output of the host's, none
// of its files or sockets, default signal handling, and a session of its own
// so that the browser outlives signals sent to the host's process group.
class DetachedStart {
 public:
  DetachedStart() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
    posix_spawnattr_init(&attributes_);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes_, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes_, &signals);
    posix_spawnattr_setflags(&attributes_,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  }
  ~DetachedStart() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }
  DetachedStart(const DetachedStart&) = delete;
  DetachedStart& operator=(const DetachedStart&) = delete;

  // Runs in the intermediate process.
  [[noreturn]] void SpawnAndExit(char* const argv[]) const {
    pid_t ignored = 0;
    const int spawned = posix_spawnp(&ignored, argv[0], &actions_, &attributes_, argv, environ);
    _exit(spawned == 0 ? 0 : 127);
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

void Reap(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

void OpenUrl(std::optional<TextView> url) {
  const TextView given = url.value_or(TextView(DefaultOpenUrl));
  std::string target(UpToNul(given));
  std::string program = "xdg-open";
  char* const argv[] = {program.data(), target.data(), nullptr};
  const DetachedStart start;
  const pid_t intermediate = fork();
  if (intermediate == 0) {
    start.SpawnAndExit(argv);
  }
  if (intermediate > 0) {
    Reap(intermediate);
  }
}

}  // namespace zorvane
