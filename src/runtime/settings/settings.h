// Keys of INI-style settings files, in the Windows private-profile format.
// Every call is one complete operation on the file; nothing is cached.
#pragma once

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

}  // namespace zorvane
