#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "files/fresh_file_platform.h"

namespace riddle_site {

std::FILE* CreateNewFile(const std::filesystem::path& path, std::error_code& error) {
  // O_EXCL: never a file or a link that is there already.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (file == nullptr) {
    error.assign(errno, std::generic_category());
    if (fd >= 0) {
      close(fd);
    }
  }
  return file;
}

bool FlushToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}

std::error_code RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (std::rename(from.c_str(), to.c_str()) == 0) {
    return {};
  }
  return {errno, std::generic_category()};
}

unsigned long ProcessNumber() {
  return static_cast<unsigned long>(getpid());
}

}  // namespace riddle_site
