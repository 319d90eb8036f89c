// A fresh folder below /tmp, removed with everything in it at the end of the test.
#pragma once

#include <filesystem>
#include <string>

namespace zorvane::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as a byte string, for the module's TextView parameters.
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// The whole content of a file ("" when it cannot be read).
std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace zorvane::testing
