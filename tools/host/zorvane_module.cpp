#include "host/zorvane_module.h"

#include <dlfcn.h>

namespace host_simulator {
namespace {

// dlerror's text, without the path in front that it often repeats.
std::string LastDlError(const std::string& path) {
  const char* message = dlerror();
  std::string text = message ? message : "unknown error";
  if (text.starts_with(path + ": ")) {
    text.erase(0, path.size() + 2);
  }
  return text;
}

// A null result would be a fault of the module; it reads as no reply here
// instead of crashing the host.
std::string CopyResult(const char* result) {
  return result ? result : "";
}

}  // namespace

ZorvaneModule::ZorvaneModule(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    error_ = "cannot load " + path + ": " + LastDlError(path);
    return;
  }
  info_ = reinterpret_cast<InfoFunction>(dlsym(handle_, "info"));
  zorvane_ = reinterpret_cast<EventFunction>(dlsym(handle_, "Zorvane"));
  configure_ = reinterpret_cast<ConfigureFunction>(dlsym(handle_, "ZorvaneConfigureForTesting"));
  if (!loaded()) {
    error_ = path + " does not export both info and Zorvane";
  }
}

ZorvaneModule::~ZorvaneModule() {
  if (handle_ != nullptr) {
    dlclose(handle_);
  }
}

bool ZorvaneModule::ConfigureForTesting(const std::string& runDirectory,
                                        const std::string& riddleSiteBase,
                                        const std::string& updatePageUrl) {
  if (configure_ == nullptr) {
    return false;
  }
  configure_(runDirectory.c_str(), riddleSiteBase.c_str(), updatePageUrl.c_str());
  return true;
}

std::string ZorvaneModule::Info() {
  return CopyResult(info_());
}

std::string ZorvaneModule::Event(const std::string& message, const std::string& messageType,
                                 const std::string& group, const std::string& member,
                                 const std::string& extra) {
  return CopyResult(
      zorvane_(message.c_str(), messageType.c_str(), group.c_str(), member.c_str(), extra.c_str()));
}

}  // namespace host_simulator
