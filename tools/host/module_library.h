// A shared library loaded into this process for the life of the object, as
// a host loads a plug-in module: its names resolved at once and none of them
// made visible to other libraries. dlopen on POSIX systems, LoadLibraryA on
// Windows.
#pragma once

#include <string>

namespace zorvane::host {

class ModuleLibrary {
 public:
  // Loads the library at path; loaded() and error() tell how that went.
  explicit ModuleLibrary(std::string path);
  // Unloads the library, unless Unload has.
  ~ModuleLibrary();
  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  // "cannot load PATH: why", when it could not be loaded.
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }

  // The address of an exported name, or null when there is none.
  void* Find(const char* name) const;

  // The exported function of that type, or null.
  template <class Function>
  Function FindFunction(const char* name) const {
    return reinterpret_cast<Function>(Find(name));
  }

  // Unloads the library now; true when the system reported success.
  bool Unload();

  // Whether the library at path is in this process now.
  static bool IsInProcess(const std::string& path);

 private:
  std::string path_;
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace zorvane::host
