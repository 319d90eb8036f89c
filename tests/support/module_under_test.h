// The module loaded as a host loads it, for tests that cannot go on without
// it: the host programs' own loader, with a constructor that throws.
#pragma once

#include <string>

#include "host/zorvane_module.h"

namespace zorvane::testing {

class ModuleUnderTest : public host::ZorvaneModule {
 public:
  // Throws std::runtime_error with the reason when the module cannot be
  // loaded, or when the test build lacks its testing seam.
  explicit ModuleUnderTest(const std::string& path = ZORVANE_TESTABLE_MODULE_PATH);
};

}  // namespace zorvane::testing
