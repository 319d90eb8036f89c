// A shared module loaded with dlopen for the life of the object, the way a
// host loads it: symbols resolved at once, none of them made global.
#pragma once

#include <string>

namespace zorvane::testing {

class LoadedModule {
 public:
  // Throws std::runtime_error with dlerror's text when the module cannot be loaded.
  explicit LoadedModule(const std::string& path);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // The address of an exported symbol, or null when the module has none.
  void* Find(const char* name) const;

  // The exported function of that name and type, or null.
  template <class Function>
  Function* FindFunction(const char* name) const {
    return reinterpret_cast<Function*>(Find(name));
  }

  // The exported function; throws std::runtime_error when it is missing.
  template <class Function>
  Function* Require(const char* name) const {
    if (Function* function = FindFunction<Function>(name)) {
      return function;
    }
    ThrowMissing(name);
  }

  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void ThrowMissing(const char* name) const;

  std::string path_;
  void* handle_ = nullptr;
};

}  // namespace zorvane::testing
