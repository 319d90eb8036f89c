// The types of the module's exports, as a host calls them through pointers.
#pragma once

namespace zorvane::testing {

using InfoFunction = const char*();
using ZorvaneFunction = const char*(const char*, const char*, const char*, const char*,
                                    const char*);
// Only the test build of the module has it.
using ConfigureFunction = void(const char*, const char*, const char*);

}  // namespace zorvane::testing
