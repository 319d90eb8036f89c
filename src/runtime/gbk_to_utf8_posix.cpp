#include "runtime/gbk_to_utf8.h"

#include <errno.h>
#include <iconv.h>

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
  const iconv_t converter = iconv_open("UTF-8", "GBK");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return AsciiOnly(gbk);
  }
  std::string in(gbk);  // iconv takes a non-const pointer
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  std::string utf8;
  char chunk[256];
  while (inLeft > 0) {
    char* outPtr = chunk;
    std::size_t outLeft = sizeof chunk;
    const std::size_t result = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    utf8.append(chunk, static_cast<std::size_t>(outPtr - chunk));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // An invalid or cut character: skip one byte and go on.
      utf8 += '?';
      ++inPtr;
      --inLeft;
    }
  }
  iconv_close(converter);
  return utf8;
}

}  // namespace zorvane
