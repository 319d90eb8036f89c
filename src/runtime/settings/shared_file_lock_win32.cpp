#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "runtime/settings/shared_file_lock.h"

namespace zorvane {

Text SharedFileLockName(TextView file) {
  const Text given(UpToNul(file));
  char full[MAX_PATH * 2] = {};
  const DWORD length = ::GetFullPathNameA(given.c_str(), sizeof full, full, nullptr);
  const TextView path = length > 0 && length < sizeof full ? TextView(full, length) : given;
  // FNV-1a of the path folded as Windows compares names: a name of its own
  // would be too long for a mutex and hold the path's backslashes.
  std::uint64_t hash = 14695981039346656037u;
  for (char byte : path) {
    byte = byte == '/' ? '\\' : FoldAsciiLetter(byte);
    hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211u;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\zorvane-settings-%016llx",
                static_cast<unsigned long long>(hash));
  return Text(name);
}

SharedFileLock::SharedFileLock(TextView file)
    : mutex_(::CreateMutexA(nullptr, FALSE, SharedFileLockName(file).c_str())) {
  if (mutex_ == nullptr) {
    return;
  }
  // An abandoned mutex (its holder ended while writing) is held all the same.
  const DWORD waited = ::WaitForSingleObject(mutex_, SharedFileLockWaitMilliseconds);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

SharedFileLock::~SharedFileLock() {
  if (held_) {
    ::ReleaseMutex(mutex_);
  }
  if (mutex_ != nullptr) {
    ::CloseHandle(mutex_);
  }
}

}  // namespace zorvane
