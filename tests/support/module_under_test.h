// A module loaded as a host loads it, for tests that cannot go on without
// it: the host programs' own loader, with a constructor that throws.
#pragma once

#include <string>

#include "host/zorvane_module.h"

namespace zorvane::testing {

class ModuleUnderTest : public host::ZorvaneModule {
 public:
  // Throws std::runtime_error with the reason when the module cannot be
  // loaded, or when a test build lacks its testing seam.
  explicit ModuleUnderTest(const std::string& path = ZORVANE_TESTABLE_MODULE_PATH,
                           const std::string& eventExport = host::GameEventExport);
};

// The test build of the sign-in module.
class SigninModuleUnderTest : public ModuleUnderTest {
 public:
  SigninModuleUnderTest()
      : ModuleUnderTest(ZORVANE_SIGNIN_TESTABLE_MODULE_PATH, host::SigninEventExport) {}
};

}  // namespace zorvane::testing
