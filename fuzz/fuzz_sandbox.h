// A scratch folder for the fuzzers that touch files: in memory when the
// machine offers /dev/shm (every settings write flushes to disk), emptied
// before each input and removed when the run ends.
#pragma once

#include <filesystem>
#include <string>

namespace zorvane::fuzzing {

class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Removes everything inside the folder.
  void Empty() const;

 private:
  std::filesystem::path path_;
};

// Every entry below folder (files and folders), sorted, as paths relative to it.
std::string ListTree(const std::filesystem::path& folder);

}  // namespace zorvane::fuzzing
