#include "riddles/riddle_encoding.h"

#include <algorithm>
#include <optional>

#include "runtime/gbk_utf8.h"
#include "runtime/utf8_sequence.h"

namespace riddle_site {

const char* EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return "UTF-8";
    case TextEncoding::Gbk:
      return "GBK";
    case TextEncoding::Gb18030:
      return "GB18030";
  }
  return "";
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The length a lead byte promises, and the range of its first
    // continuation byte that leaves out overlong forms, surrogates and
    // code points past U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : 0x80;
      high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
      return false;
    }
    if (text.size() - i < length) {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) {
        return false;
      }
    }
    i += length;
  }
  return true;
}

std::string Shortened(std::string_view utf8, std::size_t characters) {
  std::size_t end = 0;
  for (std::size_t count = 0; end < utf8.size() && count < characters; ++count) {
    end += std::min(zorvane::Utf8SequenceLength(utf8[end]), utf8.size() - end);
  }
  return end < utf8.size() ? std::string(utf8.substr(0, end)) + "…" : std::string(utf8);
}

DecodedText DecodeRiddleText(std::string_view bytes) {
  if (IsUtf8(bytes)) {
    return {std::string(bytes), TextEncoding::Utf8};
  }
  if (std::optional<std::string> gbk = zorvane::GbkToUtf8(bytes)) {
    return {std::move(*gbk), TextEncoding::Gbk};
  }
  if (std::optional<std::string> gb18030 = zorvane::Gb18030ToUtf8(bytes)) {
    return {std::move(*gb18030), TextEncoding::Gb18030};
  }
  return {std::string(bytes), TextEncoding::Utf8};
}

}  // namespace riddle_site
