// Keys of INI-style settings files, in the Windows private-profile format.
// Every call is one complete operation on the file; nothing is cached.
#pragma once

#include <functional>
#include <optional>

#include "runtime/text.h"

namespace zorvane {

// A value is received into a buffer of this many bytes, its NUL included.
inline constexpr int SettingBufferSize = 10240;

// The value of key in section of fileName, or defaultText when there is none.
// Leading bytes 1 to 32 of the three names are skipped; an empty name gives
// the empty text without touching the file.
Text ReadSetting(TextView fileName, TextView section, TextView key, TextView defaultText = {});

// Sets key to value in section. An omitted value deletes the key, an
// omitted key the whole section. Creates the file (not its folder). Returns
// false, leaving the file as it was, when the write fails or is refused.
bool WriteSetting(TextView fileName, TextView section, std::optional<TextView> key,
                  std::optional<TextView> value);

// The new value of a key made from the one it holds (the empty text when
// missing), or nullopt to leave the key as it is.
using ValueChange = std::function<std::optional<Text>(const Text& current)>;

// Sets key in section to what change makes of its value, read as ReadSetting
// reads it from the very version of the file that the write edits: when
// another writer changes the file in between, the change starts again from
// its version. For a file that other modules of the host write through the
// private-profile API, often from other threads: on Windows the write is
// one call of that API, which serialises its calls within the process and
// so never drops another writer's keys, but rewrites the file in place.
// Returns false when the write fails or is refused.
bool ChangeSharedSetting(TextView fileName, TextView section, TextView key,
                         const ValueChange& change);

}  // namespace zorvane
