#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "site/fresh_file.h"

namespace riddle_site {

bool WriteFreshFile(const std::filesystem::path& file, const std::string& bytes) {
  static std::atomic<unsigned> written{0};
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about
  // a literal added to a temporary string.
  std::string name = ".";
  name += file.filename().string();
  name += ".tmp";
  name += std::to_string(getpid());
  name += '-';
  name += std::to_string(written++);
  const std::filesystem::path temporary = file.parent_path() / name;
  // O_EXCL: never a file or link that is already there.
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    return false;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    ok = n > 0;
    done += ok ? static_cast<std::size_t>(n) : 0;
  }
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), file.c_str()) == 0) {
    return true;
  }
  unlink(temporary.c_str());
  return false;
}

}  // namespace riddle_site
