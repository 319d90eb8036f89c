#include <dlfcn.h>

#include "host/module_library.h"

namespace zorvane::host {
namespace {

// dlerror's text, without the path in front that it often repeats.
std::string LastError(const std::string& path) {
  const char* message = dlerror();
  std::string text = message ? message : "unknown error";
  if (text.starts_with(path + ": ")) {
    text.erase(0, path.size() + 2);
  }
  return text;
}

}  // namespace

ModuleLibrary::ModuleLibrary(std::string path) : path_(std::move(path)) {
  handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    error_ = "cannot load " + path_ + ": " + LastError(path_);
  }
}

ModuleLibrary::~ModuleLibrary() {
  Unload();
}

void* ModuleLibrary::Find(const char* name) const {
  return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

bool ModuleLibrary::Unload() {
  if (handle_ == nullptr) {
    return false;
  }
  const bool unloaded = dlclose(handle_) == 0;
  handle_ = nullptr;
  return unloaded;
}

bool ModuleLibrary::IsInProcess(const std::string& path) {
  // RTLD_NOLOAD finds the library only if it is still in the process.
  void* still = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (still != nullptr) {
    dlclose(still);
  }
  return still != nullptr;
}

}  // namespace zorvane::host
