#include "support/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace zorvane::testing {

pid_t StartChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::_exit(body());
  }
  return child;
}

int WaitForChild(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      return -1;
    }
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunInChild(const std::function<int()>& body) {
  return WaitForChild(StartChild(body));
}

bool DropRootPrivileges() {
  constexpr uid_t Nobody = 65534;
  if (::geteuid() != 0) {
    return true;
  }
  return ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0;
}

}  // namespace zorvane::testing
