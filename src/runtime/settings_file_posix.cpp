#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>

#include "runtime/settings_file.h"

namespace zorvane {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting errors that a deferred write may only show here.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool ReadAll(int fd, Text& bytes, std::size_t expected) {
  // One byte more than expected, so that a file that grew is noticed.
  bytes.resize(expected + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      bytes.resize(bytes.size() * 2);
    }
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return false;
    }
    if (n == 0) {
      bytes.resize(got);
      return true;
    }
    got += static_cast<std::size_t>(n);
  }
}

bool WriteAll(int fd, TextView bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A name beside path that no other writer uses: hidden, and unique per
// process and call.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  // Short enough to stay within a file name's limit whatever the original's length.
  const std::string base = path.substr(folder.size(), 200);
  return folder + "." + base + ".tmp" + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1));
}

// New files get the usual 0666 less the umask, like any file the process creates.
FileDescriptor CreateTemporaryFile(std::string& name, const std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = TemporaryNameFor(path);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return FileDescriptor(fd);
    }
  }
  return FileDescriptor(-1);
}

// The same owner (when the process may give it) and mode as the original.
bool CopyOwnerAndMode(int fd, const struct stat& original) {
  if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
    // Only privileged processes may give files away; failing to is no reason
    // to refuse the write.
    [[maybe_unused]] const int ignored = ::fchown(fd, original.st_uid, original.st_gid);
  }
  return ::fchmod(fd, original.st_mode & 07777) == 0;
}

bool WriteTemporaryFile(int fd, TextView bytes, const struct stat* original) {
  return (original == nullptr || CopyOwnerAndMode(fd, *original)) && WriteAll(fd, bytes) &&
         ::fsync(fd) == 0;
}

// Makes the rename itself durable; the files are complete either way.
void FlushFolder(const std::string& path) {
  FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) {
    ::fsync(folder.get());
  }
}

}  // namespace

SettingsFile ReadSettingsFile(const std::string& path) {
  SettingsFile file;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    file.state = errno == ENOENT ? SettingsFile::State::Missing : SettingsFile::State::Unreadable;
    return file;
  }
  if (::fstat(fd.get(), &file.info) != 0 || !S_ISREG(file.info.st_mode) ||
      !ReadAll(fd.get(), file.bytes, static_cast<std::size_t>(file.info.st_size))) {
    file.state = SettingsFile::State::Unreadable;
    file.bytes.clear();
    return file;
  }
  file.state = SettingsFile::State::Read;
  return file;
}

bool ReplaceSettingsFile(const std::string& path, TextView bytes, const struct stat* original) {
  std::string temporary;
  FileDescriptor fd = CreateTemporaryFile(temporary, path);
  if (!fd.valid()) {
    return false;
  }
  const bool written = WriteTemporaryFile(fd.get(), bytes, original);
  if (!fd.Close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  FlushFolder(path);
  return true;
}

}  // namespace zorvane
