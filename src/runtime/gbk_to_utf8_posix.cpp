#include "runtime/gbk_to_utf8.h"

#include "runtime/settings/settings_encoding.h"

namespace zorvane {
namespace {

std::string AsciiOnly(TextView gbk) {
  std::string text;
  for (const char c : gbk) {
    text += static_cast<unsigned char>(c) < 0x80 ? c : '?';
  }
  return text;
}

}  // namespace

std::string GbkToUtf8(TextView gbk) {
  gbk = UpToNul(gbk);
  const std::optional<std::string> utf8 = Utf8FromGbkMarkingErrors(gbk);
  return utf8 ? *utf8 : AsciiOnly(gbk);
}

}  // namespace zorvane
