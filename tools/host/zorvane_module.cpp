#include "host/zorvane_module.h"

#include <utility>

namespace zorvane::host {
namespace {

// A null result would be a fault of the module; it reads as no reply here
// instead of crashing the host.
std::string CopyResult(const char* result) {
  return result != nullptr ? result : "";
}

}  // namespace

ZorvaneModule::ZorvaneModule(std::string path, std::string eventExport)
    : library_(std::move(path)) {
  if (!library_.loaded()) {
    error_ = library_.error();
    return;
  }
  info_ = library_.FindFunction<InfoFunction>("info");
  zorvane_ = library_.FindFunction<ZorvaneFunction>(eventExport.c_str());
  configure_ = library_.FindFunction<ConfigureFunction>("ZorvaneConfigureForTesting");
  if (!loaded()) {
    error_ = library_.path() + " does not export both info and " + eventExport;
  }
}

bool ZorvaneModule::ConfigureForTesting(const char* runDirectory, const std::string& riddleSiteBase,
                                        const std::string& updatePageUrl) {
  if (configure_ == nullptr) {
    return false;
  }
  configure_(runDirectory, riddleSiteBase.c_str(), updatePageUrl.c_str());
  return true;
}

std::string ZorvaneModule::Info() {
  return CopyResult(info_());
}

std::string ZorvaneModule::Event(const char* message, const char* messageType, const char* group,
                                 const char* member, const char* extra) {
  return CopyResult(zorvane_(message, messageType, group, member, extra));
}

}  // namespace zorvane::host
