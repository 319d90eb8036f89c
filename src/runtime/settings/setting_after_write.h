// What a read gives back after a write, worked out in memory by the
// settings engine's own writer and reader instead of through a file: for
// checking, before a text is handed to the game, that the game will read it
// back as it was written.
#pragma once

#include <optional>

#include "runtime/text.h"

namespace zorvane {

// The value that a read of key in section returns once value was written
// there into a settings file of its own; nullopt when that write would be
// refused.
std::optional<Text> SettingAfterWrite(TextView section, TextView key, TextView value);

}  // namespace zorvane
