// Where an end-to-end scenario runs: the same exports, reached either through
// dlopen of the Linux module or through a Windows host that Wine runs with a
// DLL beside it. Scenarios are written once against this interface.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace zorvane::testing {

// The run directory of a scenario: a folder below a fresh temporary folder,
// named in GBK (empty for the temporary folder itself), and for Wine the
// host program's file name, also GBK.
struct RunPlace {
  std::string folder;
  std::string hostName = "zorvane_host.exe";
};

class ScenarioBackend {
 public:
  virtual ~ScenarioBackend() = default;

  // Loads the module into a new run directory (the host folder, for Wine).
  virtual void Start(const RunPlace& place) = 0;
  // True when the module has the testing seam to point it at a riddle site.
  virtual bool HasTestingSeam() const = 0;
  virtual void PointAt(const std::string& riddleSiteBase, const std::string& updatePageUrl) = 0;

  virtual std::string Info() = 0;
  // The reply; a null pointer reads as "".
  virtual std::string Event(const char* message, const char* messageType, const char* group,
                            const char* member, const char* extra) = 0;
  // The names that the loaded module exports, sorted.
  virtual std::vector<std::string> Exports() = 0;
  // Unloads the module: true when the platform reported success and the
  // module has left the process.
  virtual bool Unload() = 0;
  virtual void Load() = 0;

  // The sign-in module, loaded beside the game into the same host and run
  // directory, and its exports as the game's above.
  virtual void LoadSignin() = 0;
  virtual std::string SigninInfo() = 0;
  virtual std::string SigninEvent(const char* message, const char* messageType, const char* group,
                                  const char* member, const char* extra) = 0;
  virtual std::vector<std::string> SigninExports() = 0;

  // The local path of a file or folder below the run directory, given as the
  // module names it: GBK, "/" or "\" between folders.
  virtual std::filesystem::path LocalPath(const std::string& relative) const = 0;
  // The longest a call has taken so far, in microseconds (0 when unknown).
  virtual long long SlowestCallMicroseconds() const { return 0; }
};

// The test build of the Linux module, loaded with dlopen.
std::unique_ptr<ScenarioBackend> MakeDlopenBackend();

// A Windows build folder's host and DLLs run under Wine: arch is "win32" or
// "win64", product chooses zorvane.dll and zorvane-signin.dll over the test
// builds. The product DLLs come from moduleFolder when one is given (an
// unpacked kit), else from the build folder.
std::unique_ptr<ScenarioBackend> MakeWineBackend(
    const std::filesystem::path& buildDir, const std::string& arch, bool product,
    const std::optional<std::filesystem::path>& moduleFolder = std::nullopt);

// A Windows build folder given to the tests in the environment variable
// name, or nullopt when it is not set.
std::optional<std::filesystem::path> WindowsBuildFromEnvironment(const char* name);

}  // namespace zorvane::testing
