#include "support/module_under_test.h"

#include <stdexcept>

namespace zorvane::testing {

ModuleUnderTest::ModuleUnderTest(const std::string& path, const std::string& eventExport)
    : host::ZorvaneModule(path, eventExport) {
  if (!loaded()) {
    throw std::runtime_error(error());
  }
  const bool testBuild =
      path == ZORVANE_TESTABLE_MODULE_PATH || path == ZORVANE_SIGNIN_TESTABLE_MODULE_PATH;
  if (testBuild && configure() == nullptr) {
    throw std::runtime_error(path + " exports no ZorvaneConfigureForTesting");
  }
}

}  // namespace zorvane::testing
