// Whole settings files on POSIX systems: read in one go, replaced in one
// step so that a crash or a failed write never leaves half a file behind.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>

#include "runtime/text.h"

namespace zorvane {

// Larger files are refused as unreadable rather than read into memory: no
// settings file grows that big, and reading one could exhaust the heap.
inline constexpr std::size_t MaxSettingsFileSize = std::size_t{256} << 20;

// The bytes of a file, in a buffer that is not cleared before the read.
class FileBytes {
 public:
  FileBytes() = default;
  ~FileBytes() { std::free(data_); }
  FileBytes(FileBytes&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  FileBytes& operator=(FileBytes&&) = delete;

  TextView view() const { return TextView(data_, size_); }
  char* data() { return data_; }
  std::size_t capacity() const { return capacity_; }
  // Room for at least n bytes; the first size() bytes are kept.
  void Reserve(std::size_t n);
  void Resize(std::size_t n) { size_ = n; }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

struct SettingsFile {
  enum class State { Read, Missing, Unreadable };
  State state = State::Missing;
  std::string path;       // the file itself: a symbolic link is followed to it
  FileBytes bytes;        // the whole file when Read
  struct stat info = {};  // its owner and mode when Read
};

// The whole file at path, read with one scan of its bytes. Missing means
// there is no such file (which a write may create); Unreadable covers every
// other failure: folders, pipes, devices and other non-regular files, and
// files larger than MaxSettingsFileSize.
SettingsFile ReadSettingsFile(const std::string& path);

enum class ReplaceResult { Replaced, Failed, ChangedMeanwhile };

// Puts the pieces, joined, in place of the file at path: they are written to
// a new file in the same folder, flushed to disk and renamed over path, and
// the folder is flushed. A file that existed (original) keeps its mode and,
// where permitted, its owner. With keepOthersChanges, path must right before
// the rename still be the file that was read (original), or still be missing
// when original is null: another program's write in the meantime is not
// overwritten but reported as ChangedMeanwhile. On failure the new file is
// removed and path is left as it was.
ReplaceResult ReplaceSettingsFile(const std::string& path, std::initializer_list<TextView> pieces,
                                  const struct stat* original, bool keepOthersChanges);

// Whether the folder that would hold path exists.
bool FolderExists(const std::string& path);

// The folder that holds path: "." for a bare name, "/" for one in the root.
std::string FolderOf(const std::string& path);

}  // namespace zorvane
