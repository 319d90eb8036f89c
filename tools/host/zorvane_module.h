// A module as a host sees it: a library with the exports info and an event
// export (Zorvane for the game, ZorvaneSignin for the sign-in module; and,
// in their test builds, ZorvaneConfigureForTesting), called the way the host
// calls them.
#pragma once

#include <string>

#include "host/module_library.h"

namespace zorvane::host {

#if defined(_WIN32)
#define ZORVANE_HOST_STDCALL __stdcall
#else
#define ZORVANE_HOST_STDCALL
#endif

using InfoFunction = const char* (*)();
using ZorvaneFunction = const char*(ZORVANE_HOST_STDCALL*)(const char* message,
                                                           const char* messageType,
                                                           const char* group, const char* member,
                                                           const char* extra);
using ConfigureFunction = void (*)(const char* runDirectory, const char* riddleSiteBase,
                                   const char* updatePageUrl);

// The names of the two modules' event exports, which their descriptors'
// eighth lines name too.
inline constexpr char GameEventExport[] = "Zorvane";
inline constexpr char SigninEventExport[] = "ZorvaneSignin";

class ZorvaneModule {
 public:
  // Loads the library and finds info and the event export; loaded() and
  // error() tell how that went. Unloading the library releases the module's
  // last results.
  explicit ZorvaneModule(std::string path, std::string eventExport = GameEventExport);

  bool loaded() const { return info_ != nullptr && zorvane_ != nullptr; }
  const std::string& error() const { return error_; }
  ModuleLibrary& library() { return library_; }

  // The exports themselves, for hosts that call them as they are; null when
  // missing. zorvane() is the event export, whatever its name. Only the
  // test builds have configure.
  InfoFunction info() const { return info_; }
  ZorvaneFunction zorvane() const { return zorvane_; }
  ConfigureFunction configure() const { return configure_; }

  // Points the test build at another run directory (null keeps the one it
  // found at load) and riddle site; false when the module cannot be pointed.
  bool ConfigureForTesting(const char* runDirectory, const std::string& riddleSiteBase,
                           const std::string& updatePageUrl);

  // The descriptor (GBK).
  std::string Info();

  // The reply to one chat event (GBK, empty for none).
  std::string Event(const char* message, const char* messageType, const char* group,
                    const char* member, const char* extra = "");

 private:
  ModuleLibrary library_;
  InfoFunction info_ = nullptr;
  ZorvaneFunction zorvane_ = nullptr;
  ConfigureFunction configure_ = nullptr;
  std::string error_;
};

}  // namespace zorvane::host
