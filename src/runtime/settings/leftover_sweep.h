// Temporary files that writes left behind. A write puts the new file beside
// the old one under a temporary name first; a write killed part-way leaves
// that file there for good, and the folder (shared with the sign-in module)
// slowly fills up. Each write therefore clears away such leftovers.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace zorvane {

// A temporary file this old belongs to no write any more: a write takes
// seconds at the very most.
inline constexpr std::int64_t LeftoverAgeSeconds = 5 * 60;

// Removes from the folder that holds file (a native path) the temporary
// files of this module's own writes that are clearly stale: older than
// LeftoverAgeSeconds or, where the system tells, written by a process that
// has ended. Files of any other name, and those of writes still running,
// stay. Failures are ignored: the write goes on either way. A folder is
// looked through at most once a minute per process.
void SweepLeftoverTemporaries(TextView file);

// Whether the folder is due for a sweep, and if so, marks it swept now.
bool TakeSweepTurn(TextView folder);

}  // namespace zorvane
