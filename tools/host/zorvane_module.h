// The module as a host sees it: a shared library with the exports info and
// Zorvane, loaded with dlopen.
#pragma once

#include <string>

namespace host_simulator {

class ZorvaneModule {
 public:
  // Loads the library and finds both exports; check loaded() and error().
  explicit ZorvaneModule(const std::string& path);
  // Unloads the library, which releases the module's last results.
  ~ZorvaneModule();
  ZorvaneModule(const ZorvaneModule&) = delete;
  ZorvaneModule& operator=(const ZorvaneModule&) = delete;

  bool loaded() const { return info_ != nullptr && zorvane_ != nullptr; }
  const std::string& error() const { return error_; }

  // The test build of the module can be pointed at another run directory and
  // riddle site; the product cannot. False when the module lacks that export.
  bool ConfigureForTesting(const std::string& runDirectory, const std::string& riddleSiteBase,
                           const std::string& updatePageUrl);

  // The descriptor (GBK).
  std::string Info();

  // The reply to one chat event (GBK, empty for none).
  std::string Event(const std::string& message, const std::string& messageType,
                    const std::string& group, const std::string& member, const std::string& extra);

 private:
  using InfoFunction = const char* (*)();
  using EventFunction = const char* (*)(const char*, const char*, const char*, const char*,
                                        const char*);
  using ConfigureFunction = void (*)(const char*, const char*, const char*);

  void* handle_ = nullptr;
  InfoFunction info_ = nullptr;
  EventFunction zorvane_ = nullptr;
  ConfigureFunction configure_ = nullptr;
  std::string error_;
};

}  // namespace host_simulator
