#include <cstdint>

#include "runtime/settings/settings_encoding.h"
#include "runtime/utf8_sequence.h"

namespace zorvane {
namespace {

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUtf16(std::string& out, std::uint32_t unit, ByteOrder order) {
  const auto low = static_cast<char>(unit & 0xFF);
  const auto high = static_cast<char>(unit >> 8);
  out += order == ByteOrder::LittleEndian ? low : high;
  out += order == ByteOrder::LittleEndian ? high : low;
}

}  // namespace

std::string Utf8FromUtf16(TextView utf16, ByteOrder order) {
  std::string out;
  out.reserve(utf16.size());
  const std::size_t lowFirst = order == ByteOrder::LittleEndian ? 0 : 1;
  const auto unitAt = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(utf16[i + lowFirst]) |
                                      static_cast<unsigned char>(utf16[i + 1 - lowFirst]) << 8);
  };
  for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
    const std::uint32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < utf16.size()) {
      const std::uint32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, unit);
  }
  return out;
}

std::string Utf16FromUtf8(TextView utf8, ByteOrder order) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = Utf8SequenceLength(utf8[i]);
    if (length == 1 || i + length > utf8.size()) {
      AppendUtf16(out, lead < 0x80 ? lead : '?', order);  // not UTF-8 that this module wrote
      ++i;
      continue;
    }
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    i += length;
    if (code >= 0x10000) {
      AppendUtf16(out, 0xD800 + ((code - 0x10000) >> 10), order);
      AppendUtf16(out, 0xDC00 + ((code - 0x10000) & 0x3FF), order);
    } else {
      AppendUtf16(out, code, order);
    }
  }
  return out;
}

}  // namespace zorvane
