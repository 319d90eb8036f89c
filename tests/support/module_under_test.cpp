#include "support/module_under_test.h"

#include <stdexcept>

namespace zorvane::testing {

ModuleUnderTest::ModuleUnderTest(const std::string& path) : host::ZorvaneModule(path) {
  if (!loaded()) {
    throw std::runtime_error(error());
  }
  if (path == ZORVANE_TESTABLE_MODULE_PATH && configure() == nullptr) {
    throw std::runtime_error(path + " exports no ZorvaneConfigureForTesting");
  }
}

}  // namespace zorvane::testing
