#include "support/loaded_module.h"

#include <dlfcn.h>

#include <stdexcept>

namespace zorvane::testing {

LoadedModule::LoadedModule(const std::string& path) : path_(path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* error = dlerror();
    throw std::runtime_error("cannot load " + path + ": " + (error ? error : "unknown error"));
  }
}

LoadedModule::~LoadedModule() {
  dlclose(handle_);
}

void* LoadedModule::Find(const char* name) const {
  dlerror();
  return dlsym(handle_, name);
}

void LoadedModule::ThrowMissing(const char* name) const {
  throw std::runtime_error(path_ + " exports no " + name);
}

}  // namespace zorvane::testing
