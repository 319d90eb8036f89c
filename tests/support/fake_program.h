// Stand-ins for desktop programs: shell scripts in a fresh folder that is put
// first on PATH for the life of the object; and the process environment and
// standard input arranged for a test and put back afterwards.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace zorvane::testing {

class FakePrograms {
 public:
  FakePrograms();
  ~FakePrograms();
  FakePrograms(const FakePrograms&) = delete;
  FakePrograms& operator=(const FakePrograms&) = delete;

  // Writes an executable "#!/bin/sh" script called name with the given body.
  void Add(const std::string& name, const std::string& body) const;
  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  TempDir folder_;
  std::optional<std::string> oldPath_;
};

// Sets (or, with nullopt, removes) one environment variable until destroyed.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::string name, std::optional<std::string> value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Makes the process's standard input a pipe that holds input (and then ends),
// so that a test can tell whether a child read it.
class ScopedPendingStandardInput {
 public:
  explicit ScopedPendingStandardInput(const std::string& input);
  ~ScopedPendingStandardInput();
  ScopedPendingStandardInput(const ScopedPendingStandardInput&) = delete;
  ScopedPendingStandardInput& operator=(const ScopedPendingStandardInput&) = delete;

 private:
  int savedStdin_ = -1;
};

// Waits up to timeoutMs for file to exist.
bool WaitForFile(const std::filesystem::path& file, int timeoutMs);

// A string for a single-quoted shell word.
std::string ShellQuoted(const std::string& text);

}  // namespace zorvane::testing
