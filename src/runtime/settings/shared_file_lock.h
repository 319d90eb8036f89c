// Windows: the writers of one settings file take turns across modules and
// processes. The game and the sign-in module are two libraries in one host
// process, each with its own copy of the settings layer, and both change
// the same balance by reading it and writing it back: the private-profile
// API serialises each call, but not a read and the write that follows it.
// A kernel mutex named after the file does, for every module of ours in
// every process of the session.
#pragma once

#include "runtime/text.h"

namespace zorvane {

class SharedFileLock {
 public:
  // Waits for the file's turn, at most SharedFileLockWaitMilliseconds: a
  // holder that never lets go is then passed by, and the write goes on
  // without the lock as it would without this class.
  explicit SharedFileLock(TextView file);
  ~SharedFileLock();
  SharedFileLock(const SharedFileLock&) = delete;
  SharedFileLock& operator=(const SharedFileLock&) = delete;

  bool held() const { return held_; }

 private:
  void* mutex_ = nullptr;
  bool held_ = false;
};

inline constexpr unsigned long SharedFileLockWaitMilliseconds = 5000;

// The name of the file's mutex: the same for every spelling of the file's
// full path that Windows takes as one (letter case, "/" or "\").
Text SharedFileLockName(TextView file);

}  // namespace zorvane
