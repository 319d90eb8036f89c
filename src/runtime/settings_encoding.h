// The encodings a settings file or a file name may need on POSIX systems:
// the module speaks GBK, while files saved with a byte-order mark hold UTF-8
// or UTF-16LE and Linux file names are UTF-8.
#pragma once

#include <optional>
#include <string>

#include "runtime/text.h"

namespace zorvane {

// gbk as UTF-8; nullopt when it is not valid GBK (a cut character included).
std::optional<std::string> Utf8FromGbk(TextView gbk);

// gbk as UTF-8, each byte that starts no GBK character (or a character cut
// off at the end) as "?"; nullopt only when the system knows no GBK.
std::optional<std::string> Utf8FromGbkMarkingErrors(TextView gbk);

// utf8 as GBK; a character that GBK lacks, or a byte that is not UTF-8,
// becomes "?", as Windows writes what the ANSI code page cannot hold.
Text GbkFromUtf8(TextView utf8);

// UTF-16LE bytes (an odd last byte is dropped) as UTF-8, and back. A lone
// surrogate is carried as its own three bytes, so that the round trip gives
// the same bytes for any input.
std::string Utf8FromUtf16Le(TextView utf16);
std::string Utf16LeFromUtf8(TextView utf8);

}  // namespace zorvane
