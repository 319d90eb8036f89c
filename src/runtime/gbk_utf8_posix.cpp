// The converter on POSIX systems: iconv's GBK, GB18030 and UTF-8.
#include <errno.h>
#include <iconv.h>

#include <algorithm>

#include "runtime/gbk_utf8.h"
#include "runtime/utf8_sequence.h"

namespace zorvane {
namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// What a conversion does with what it cannot convert.
struct Unconvertible {
  bool replace = false;      // "?" in its place, or the whole conversion fails
  bool inputIsUtf8 = false;  // skip a UTF-8 sequence, or a single byte
};

// An iconv descriptor for one conversion. Opening one is cheap once the
// system has loaded its tables; none is kept between calls, so that nothing
// outlives the module when the host unloads it.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Converter() {
    if (usable()) {
      ::iconv_close(cd_);
    }
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  std::optional<std::string> Convert(std::string_view in, Unconvertible unconvertible) {
    if (!usable()) {
      return std::nullopt;
    }
    std::string input(in);  // iconv takes a non-const pointer
    char* inPtr = input.data();
    std::size_t inLeft = input.size();
    std::string out;
    char chunk[512];
    while (inLeft > 0) {
      char* outPtr = chunk;
      std::size_t outLeft = sizeof chunk;
      const std::size_t result = ::iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        if (!unconvertible.replace) {
          return std::nullopt;
        }
        out += '?';
        const std::size_t skipped = unconvertible.inputIsUtf8
                                        ? std::min(Utf8SequenceLength(*inPtr), inLeft)
                                        : std::size_t{1};
        inPtr += skipped;
        inLeft -= skipped;
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// For a system without GBK: ASCII as it is, every other character as "?".
std::string AsciiOnly(std::string_view text, bool inputIsUtf8) {
  std::string ascii;
  for (std::size_t i = 0; i < text.size();) {
    const bool isAscii = static_cast<unsigned char>(text[i]) < 0x80;
    ascii += isAscii ? text[i] : '?';
    i += isAscii || !inputIsUtf8 ? 1 : std::min(Utf8SequenceLength(text[i]), text.size() - i);
  }
  return ascii;
}

// in converted; nullopt when any of it cannot be.
std::optional<std::string> Strict(const char* to, const char* from, std::string_view in) {
  if (IsAscii(in)) {
    return std::string(in);
  }
  return Converter(to, from).Convert(in, {});
}

// in converted, "?" for each part that cannot be.
std::string Lenient(const char* to, const char* from, std::string_view in, bool inputIsUtf8) {
  if (IsAscii(in)) {
    return std::string(in);
  }
  const std::optional<std::string> out =
      Converter(to, from).Convert(in, {.replace = true, .inputIsUtf8 = inputIsUtf8});
  return out ? *out : AsciiOnly(in, inputIsUtf8);
}

}  // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  return Strict("UTF-8", "GBK", gbk);
}

std::string GbkToUtf8Lenient(std::string_view gbk) {
  return Lenient("UTF-8", "GBK", gbk, false);
}

std::optional<std::string> Gb18030ToUtf8(std::string_view gb18030) {
  return Strict("UTF-8", "GB18030", gb18030);
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  return Strict("GBK", "UTF-8", utf8);
}

std::string Utf8ToGbkLenient(std::string_view utf8) {
  return Lenient("GBK", "UTF-8", utf8, true);
}

}  // namespace zorvane
