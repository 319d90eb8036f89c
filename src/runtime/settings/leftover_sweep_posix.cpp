// Leftovers of writes on POSIX systems: ".<name>.tmp<pid>-<n>", as the
// settings file layer names a new file before renaming it over <name>.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "runtime/settings/leftover_sweep.h"
#include "runtime/settings/settings_file.h"

namespace zorvane {
namespace {

bool IsDigits(std::string_view t) {
  return !t.empty() && t.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process that wrote a temporary file of that name, or nullopt when
// the name is not one of a write's temporaries.
std::optional<long long> WriterOfTemporary(std::string_view name) {
  const std::size_t dash = name.rfind('-');
  if (name.size() < 2 || name[0] != '.' || dash == std::string_view::npos ||
      !IsDigits(name.substr(dash + 1))) {
    return std::nullopt;
  }
  const std::size_t tmp = name.rfind(".tmp", dash);
  // A name of at least one byte between the leading "." and ".tmp".
  if (tmp == std::string_view::npos || tmp < 2) {
    return std::nullopt;
  }
  const std::string_view pid = name.substr(tmp + 4, dash - tmp - 4);
  if (!IsDigits(pid) || pid.size() > 10) {
    return std::nullopt;
  }
  return std::stoll(std::string(pid));
}

bool ProcessHasEnded(long long pid) {
  if (pid <= 0 || pid > 0x7FFFFFFF) {
    return false;  // no process of ours: only its age tells
  }
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool IsStale(const struct stat& info, long long writer) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec - info.st_mtim.tv_sec > LeftoverAgeSeconds || ProcessHasEnded(writer);
}

}  // namespace

void SweepLeftoverTemporaries(TextView file) {
  const std::string folder = FolderOf(std::string(file));
  if (!TakeSweepTurn(folder)) {
    return;
  }
  DIR* const listing = ::opendir(folder.c_str());
  if (listing == nullptr) {
    return;
  }
  const int folderFd = ::dirfd(listing);
  while (const dirent* entry = ::readdir(listing)) {
    const std::optional<long long> writer = WriterOfTemporary(entry->d_name);
    struct stat info;
    // Regular files only: a link or folder of that name is nobody's temporary.
    if (writer && ::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode) && IsStale(info, *writer)) {
      ::unlinkat(folderFd, entry->d_name, 0);
    }
  }
  ::closedir(listing);
}

}  // namespace zorvane
