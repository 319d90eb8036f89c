// How the module starts a desktop program (a dialog, the URL opener) inside
// the host's process: without a shell, with standard input from /dev/null
// (the host's input is never read), with none of the host's other files or
// sockets, and with default signal handling whatever the host blocks or ignores.
#pragma once

#include <spawn.h>
#include <sys/types.h>

namespace zorvane {

class ChildStart {
 public:
  // output receives the child's standard output and error; -1 sends both to
  // /dev/null. With ownSession the child leads a session of its own, so that
  // it outlives signals sent to the host's process group.
  ChildStart(int output, bool ownSession);
  ~ChildStart();
  ChildStart(const ChildStart&) = delete;
  ChildStart& operator=(const ChildStart&) = delete;

  // posix_spawnp of argv[0], found on PATH: 0 when the child started.
  // Allocates nothing, so it may run between fork and _exit.
  int Spawn(pid_t* child, char* const argv[]) const;

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

// Waits until child ends, through interruptions by signals; false when it
// cannot be waited for (for example when the host reaps its children itself).
bool WaitForChild(pid_t child, int& status);

}  // namespace zorvane
