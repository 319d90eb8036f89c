// Whole settings files on POSIX systems: read in one go, replaced in one
// step so that a crash or a failed write never leaves half a file behind.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

#include "runtime/text.h"

namespace zorvane {

struct SettingsFile {
  enum class State { Read, Missing, Unreadable };
  State state = State::Missing;
  Text bytes;             // the whole file when Read
  struct stat info = {};  // its owner and mode when Read
};

// The whole file at path, read with one scan of its bytes. Missing means
// there is no such file (which a write may create); Unreadable covers every
// other failure, folders and other non-regular files included.
SettingsFile ReadSettingsFile(const std::string& path);

// Puts bytes in place of the file at path: they are written to a new file
// in the same folder, flushed to disk and renamed over path. A file that
// existed (original) keeps its mode and, where permitted, its owner. On
// failure the new file is removed and path is left as it was.
bool ReplaceSettingsFile(const std::string& path, TextView bytes, const struct stat* original);

}  // namespace zorvane
