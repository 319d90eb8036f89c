// The encodings a settings file or a file name may need on POSIX systems:
// the module speaks GBK, while files saved with a byte-order mark hold UTF-8
// or UTF-16 and Linux file names are UTF-8.
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

// UTF-16 bytes (an odd last byte is dropped) as UTF-8, and back; little- or
// big-endian. A lone surrogate is carried as its own three bytes, so that
// the round trip gives the same bytes for any input.
enum class ByteOrder { LittleEndian, BigEndian };
std::string Utf8FromUtf16(TextView utf16, ByteOrder order);
std::string Utf16FromUtf8(TextView utf8, ByteOrder order);

}  // namespace zorvane
