// The converter on POSIX systems: iconv's GBK and UTF-8.
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

}  // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) {
    return std::string(gbk);
  }
  return Converter("UTF-8", "GBK").Convert(gbk, {});
}

std::string GbkToUtf8Lenient(std::string_view gbk) {
  if (IsAscii(gbk)) {
    return std::string(gbk);
  }
  const std::optional<std::string> utf8 =
      Converter("UTF-8", "GBK").Convert(gbk, {.replace = true, .inputIsUtf8 = false});
  return utf8 ? *utf8 : AsciiOnly(gbk, false);
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) {
    return std::string(utf8);
  }
  return Converter("GBK", "UTF-8").Convert(utf8, {});
}

std::string Utf8ToGbkLenient(std::string_view utf8) {
  if (IsAscii(utf8)) {
    return std::string(utf8);
  }
  const std::optional<std::string> gbk =
      Converter("GBK", "UTF-8").Convert(utf8, {.replace = true, .inputIsUtf8 = true});
  return gbk ? *gbk : AsciiOnly(utf8, true);
}

}  // namespace zorvane
