#include "support/fake_program.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>

namespace zorvane::testing {
namespace {

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = getenv(name.c_str());
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

}  // namespace

FakePrograms::FakePrograms() : oldPath_(GetEnvironment("PATH")) {
  SetEnvironment("PATH", folder_.str() + ":" + oldPath_.value_or("/usr/bin:/bin"));
}

FakePrograms::~FakePrograms() {
  SetEnvironment("PATH", oldPath_);
}

void FakePrograms::Add(const std::string& name, const std::string& body) const {
  const std::filesystem::path script = folder_.path() / name;
  WriteFileBytes(script, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name,
                                                     std::optional<std::string> value)
    : name_(std::move(name)), old_(GetEnvironment(name_)) {
  SetEnvironment(name_, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  SetEnvironment(name_, old_);
}

ScopedPendingStandardInput::ScopedPendingStandardInput(const std::string& input) {
  // Standard input may be closed (-1 then), in which case the pipe may land on 0.
  savedStdin_ = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
  int fds[2];
  if (pipe(fds) != 0) {
    throw std::runtime_error("pipe failed");
  }
  if (write(fds[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
    throw std::runtime_error("write failed");
  }
  close(fds[1]);
  if (fds[0] != STDIN_FILENO) {
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
  }
}

ScopedPendingStandardInput::~ScopedPendingStandardInput() {
  if (savedStdin_ >= 0) {
    dup2(savedStdin_, STDIN_FILENO);
    close(savedStdin_);
  } else {
    close(STDIN_FILENO);
  }
}

bool WaitForFile(const std::filesystem::path& file, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    if (std::filesystem::exists(file)) {
      return true;
    }
    usleep(10 * 1000);
  }
  return std::filesystem::exists(file);
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace zorvane::testing
