#include "fuzz_sandbox.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace zorvane::fuzzing {
namespace {

std::filesystem::path ScratchRoot() {
  std::error_code error;
  if (std::filesystem::is_directory("/dev/shm", error)) {
    return "/dev/shm";
  }
  return std::filesystem::temp_directory_path();
}

}  // namespace

Sandbox::Sandbox() {
  std::string pattern = (ScratchRoot() / "zorvane-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::abort();
  }
  path_ = pattern;
}

Sandbox::~Sandbox() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

void Sandbox::Empty() const {
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
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
