#include <windows.h>

#include "host/module_library.h"

namespace zorvane::host {

ModuleLibrary::ModuleLibrary(std::string path) : path_(std::move(path)) {
  handle_ = reinterpret_cast<void*>(LoadLibraryA(path_.c_str()));
  if (handle_ == nullptr) {
    error_ = "cannot load " + path_ + ": Windows error " + std::to_string(GetLastError());
  }
}

ModuleLibrary::~ModuleLibrary() {
  Unload();
}

void* ModuleLibrary::Find(const char* name) const {
  // GetProcAddress returns a generic function pointer; void* carries it.
  return handle_ != nullptr
             ? reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name))
             : nullptr;
}

bool ModuleLibrary::Unload() {
  if (handle_ == nullptr) {
    return false;
  }
  const bool unloaded = FreeLibrary(reinterpret_cast<HMODULE>(handle_)) != FALSE;
  handle_ = nullptr;
  return unloaded;
}

bool ModuleLibrary::IsInProcess(const std::string& path) {
  return GetModuleHandleA(path.c_str()) != nullptr;
}

}  // namespace zorvane::host
