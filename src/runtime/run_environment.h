// The module's surroundings: the host program's folder, files and folders,
// and the modal question to the person at the desktop.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/convert.h"
#include "runtime/text.h"

namespace zorvane {

// Records the folder of the host's executable and makes it the current
// directory. Runs once, while the module is loaded.
void RecordRunDirectory();

// The recorded folder of the host's executable, without a trailing separator.
Text RunDirectory();

// Points the run directory elsewhere (tests only).
void SetRunDirectoryForTesting(TextView directory);

// The part of an executable's path before its last backslash, found
// character by character in GBK; the empty text when there is none.
Text CutBeforeLastBackslash(TextView executablePath);

// True for an existing file or folder. "\" and "/" both separate folders.
bool FileExists(TextView path);

// Makes one folder; false when it exists, its parent is missing, or it may not be made.
bool CreateDir(TextView path);

// Title of a message box for which the caller gives none.
extern const TextView DefaultMessageCaption;

// Asks the person at the desktop and returns the code of the pressed button
// (OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6; 0 when no box
// could be shown). flags are MessageBoxA style bits.
std::int32_t ShowMessage(TextView message, std::int32_t flags = 0,
                         std::optional<TextView> caption = std::nullopt);

}  // namespace zorvane
