// The encodings a settings file may need on POSIX systems besides GBK and
// UTF-8 (runtime/gbk_utf8.h): files saved with a byte-order mark may hold
// UTF-16.
#pragma once

#include <string>

#include "runtime/text.h"

namespace zorvane {

// UTF-16 bytes (an odd last byte is dropped) as UTF-8, and back; little- or
// big-endian. A lone surrogate is carried as its own three bytes, so that
// the round trip gives the same bytes for any input.
enum class ByteOrder { LittleEndian, BigEndian };
std::string Utf8FromUtf16(TextView utf16, ByteOrder order);
std::string Utf16FromUtf8(TextView utf8, ByteOrder order);

}  // namespace zorvane
