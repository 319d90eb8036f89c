#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "runtime/settings/leftover_sweep.h"
#include "runtime/settings/settings_file.h"

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

bool ReadAll(int fd, FileBytes& bytes, std::size_t expected) {
  // One byte more than expected, so that a file that grew is noticed.
  bytes.Reserve(expected + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.capacity()) {
      if (got > MaxSettingsFileSize) {
        return false;
      }
      bytes.Reserve(got * 2);
    }
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.capacity() - got);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return false;
    }
    got += static_cast<std::size_t>(n);
    bytes.Resize(got);
    if (n == 0) {
      return true;
    }
  }
}

// Writes the pieces in order, as few system calls as the kernel allows.
bool WriteAll(int fd, std::initializer_list<TextView> pieces) {
  std::vector<iovec> parts;
  for (const TextView piece : pieces) {
    if (!piece.empty()) {
      parts.push_back({const_cast<char*>(piece.data()), piece.size()});
    }
  }
  std::size_t next = 0;
  while (next < parts.size()) {
    const int count = static_cast<int>(std::min<std::size_t>(parts.size() - next, IOV_MAX));
    ssize_t n = ::writev(fd, parts.data() + next, count);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    // Skip what was written, which may end inside a piece.
    while (next < parts.size() && static_cast<std::size_t>(n) >= parts[next].iov_len) {
      n -= static_cast<ssize_t>(parts[next++].iov_len);
    }
    if (next < parts.size()) {
      parts[next].iov_base = static_cast<char*>(parts[next].iov_base) + n;
      parts[next].iov_len -= static_cast<std::size_t>(n);
    }
  }
  return true;
}

// A name beside path that no other writer uses: hidden, and unique per
// process and call. SweepLeftoverTemporaries knows names of this form.
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

bool WriteTemporaryFile(int fd, std::initializer_list<TextView> pieces,
                        const struct stat* original) {
  return (original == nullptr || CopyOwnerAndMode(fd, *original)) && WriteAll(fd, pieces) &&
         ::fsync(fd) == 0;
}

// Makes the rename itself durable; the files are complete either way.
void FlushFolder(const std::string& path) {
  FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) {
    ::fsync(folder.get());
  }
}

// Where a chain of symbolic links that ends in no file leads: the path that
// opening with O_CREAT through the links would create. path itself when it
// is no link, and when the links loop or cannot be read (opening then fails
// as it would).
std::string DanglingLinkTarget(const std::string& path) {
  std::string current = path;
  // As many links as the system follows itself (SYMLOOP_MAX on Linux).
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0) {
      return current;
    }
    if (!S_ISLNK(info.st_mode)) {
      return path;
    }
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
      return path;
    }
    target.resize(static_cast<std::size_t>(n));
    // A relative target is taken from the folder that holds the link.
    current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
  }
  return path;
}

// The file that path names: a symbolic link is followed, so that a write
// replaces the file it points to (which another program may be using under
// its own name) instead of the link; a link to a file not yet created makes
// the write create it.
std::string FileBehindLinks(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
    return path;
  }
  char* target = ::realpath(path.c_str(), nullptr);
  if (target == nullptr) {
    return DanglingLinkTarget(path);
  }
  std::string resolved(target);
  std::free(target);
  return resolved;
}

// Whether the file at path is the one that was read: the same file with the
// same size and modification time, or still no file when none was read.
// Writers that replace the file (as this layer does) give it a new inode;
// writers that rewrite it in place change its time or size.
bool StillAsRead(const std::string& path, const struct stat* original) {
  struct stat now;
  if (::stat(path.c_str(), &now) != 0) {
    return original == nullptr && errno == ENOENT;
  }
  return original != nullptr && now.st_dev == original->st_dev && now.st_ino == original->st_ino &&
         now.st_size == original->st_size && now.st_mtim.tv_sec == original->st_mtim.tv_sec &&
         now.st_mtim.tv_nsec == original->st_mtim.tv_nsec;
}

}  // namespace

void FileBytes::Reserve(std::size_t n) {
  if (n > capacity_) {
    char* grown = static_cast<char*>(std::realloc(data_, n));
    if (grown == nullptr) {
      StopOnRefusedAllocation(n);
    }
    data_ = grown;
    capacity_ = n;
  }
}

SettingsFile ReadSettingsFile(const std::string& path) {
  SettingsFile file;
  file.path = FileBehindLinks(path);
  // Without blocking: opening a FIFO for reading would wait for a writer.
  FileDescriptor fd(::open(file.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) {
    file.state = errno == ENOENT ? SettingsFile::State::Missing : SettingsFile::State::Unreadable;
    return file;
  }
  if (::fstat(fd.get(), &file.info) != 0 || !S_ISREG(file.info.st_mode) ||
      static_cast<std::size_t>(file.info.st_size) > MaxSettingsFileSize ||
      !ReadAll(fd.get(), file.bytes, static_cast<std::size_t>(file.info.st_size))) {
    file.state = SettingsFile::State::Unreadable;
    file.bytes.Resize(0);
    return file;
  }
  file.state = SettingsFile::State::Read;
  return file;
}

ReplaceResult ReplaceSettingsFile(const std::string& path, std::initializer_list<TextView> pieces,
                                  const struct stat* original, bool keepOthersChanges) {
  SweepLeftoverTemporaries(path);
  std::string temporary;
  FileDescriptor fd = CreateTemporaryFile(temporary, path);
  if (!fd.valid()) {
    return ReplaceResult::Failed;
  }
  const bool written = WriteTemporaryFile(fd.get(), pieces, original);
  if (!fd.Close() || !written) {
    ::unlink(temporary.c_str());
    return ReplaceResult::Failed;
  }
  if (keepOthersChanges && !StillAsRead(path, original)) {
    ::unlink(temporary.c_str());
    return ReplaceResult::ChangedMeanwhile;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return ReplaceResult::Failed;
  }
  FlushFolder(path);
  return ReplaceResult::Replaced;
}

bool FolderExists(const std::string& path) {
  struct stat info;
  return ::stat(FolderOf(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace zorvane
