// Rules for the arguments of settings reads and writes that hold on every
// platform, before the file is touched.
#pragma once

#include <optional>

#include "runtime/text.h"

namespace zorvane {

// t up to its first NUL, without the bytes 1 to 32 (control characters and
// the blank) at its start. Later bytes stay, trailing blanks included.
TextView SkipLeadingControlBytes(TextView t);

// The three names a settings read addresses, as it uses them.
struct SettingNames {
  TextView fileName;
  TextView section;
  TextView key;
};

// The names with SkipLeadingControlBytes applied; nullopt when any of them is
// then empty, in which case the read gives the empty text without touching
// the file.
std::optional<SettingNames> ReadSettingNames(TextView fileName, TextView section, TextView key);

// Whether a write of these names and value keeps the file's structure: it
// is refused when it could add lines, sections or keys other than the one
// addressed, or could not be read back at all:
// - a section with "]" (as a character, not a GBK second byte), CR or LF,
//   or with nothing but blanks;
// - a section or key with a GBK first byte that no second byte follows;
// - a key with "=", CR or LF, one with nothing but blanks, or one that
//   starts with "[" or ";" (its line would read as a header or a comment);
// - a value with CR or LF.
// Each text counts up to its first NUL. Omitted key and value are fine.
bool IsSafeSettingWrite(TextView section, std::optional<TextView> key,
                        std::optional<TextView> value);

// value without a two-byte character's first byte that ends it alone, which
// Windows drops on the way into and out of a file.
TextView WithoutLoneLeadByte(TextView value);

// What a caller receives of a stored value through a buffer of
// SettingBufferSize bytes: the text up to a NUL, cut to leave room for the
// buffer's own NUL, and never inside a two-byte character; a first byte
// alone at the end is dropped.
Text ReceivedValue(TextView value);

// The folder part of a Windows file name with its last separator ("\\" or
// "/"), "" for a bare name; found character by character, so that a GBK
// second byte 0x5C is no separator.
Text WindowsFolderOf(TextView fileName);

}  // namespace zorvane
