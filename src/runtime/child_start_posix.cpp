#include "runtime/child_start_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorvane {

ChildStart::ChildStart(int output, bool ownSession) {
  posix_spawn_file_actions_init(&actions_);
  posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (output >= 0) {
    posix_spawn_file_actions_adddup2(&actions_, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions_, output, STDERR_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);

  posix_spawnattr_init(&attributes_);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes_, &signals);
  sigfillset(&signals);
  posix_spawnattr_setsigdefault(&attributes_, &signals);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (ownSession) {
    flags |= POSIX_SPAWN_SETSID;
  }
  posix_spawnattr_setflags(&attributes_, flags);
}

ChildStart::~ChildStart() {
  posix_spawnattr_destroy(&attributes_);
  posix_spawn_file_actions_destroy(&actions_);
}

int ChildStart::Spawn(pid_t* child, char* const argv[]) const {
  return posix_spawnp(child, argv[0], &actions_, &attributes_, argv, environ);
}

bool WaitForChild(pid_t child, int& status) {
  for (;;) {
    if (waitpid(child, &status, 0) == child) {
      return true;
    }
    if (errno != EINTR) {
      return false;
    }
  }
}

}  // namespace zorvane
