#include "fuzz_sandbox.h"

#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "support/temp_dir.h"

namespace zorvane::fuzzing {

const std::filesystem::path& Sandbox() {
  static const testing::TempDir folder = [] {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) {
      setenv("TMPDIR", "/dev/shm", 1);  // where TempDir makes its folder
    }
    return testing::TempDir();
  }();
  return folder.path();
}

void EmptyFolder(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::filesystem::remove_all(entry.path());
  }
}

std::string ListTree(const std::filesystem::path& folder) {
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    entries.push_back(std::filesystem::relative(entry.path(), folder).string());
  }
  std::sort(entries.begin(), entries.end());
  std::string listing;
  for (const std::string& entry : entries) {
    listing += entry + "\n";
  }
  return listing;
}

}  // namespace zorvane::fuzzing
