#include "encoding.h"

#include <iconv.h>

#include <cerrno>

namespace host_simulator {
namespace {

// An iconv descriptor for the life of one conversion.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) {
      iconv_close(cd_);
    }
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts input; on a sequence that cannot be converted, calls
  // onBadSequence, which returns false to give up or true to skip a byte.
  template <class OnBadSequence>
  bool Convert(std::string_view input, std::string& output, OnBadSequence onBadSequence) {
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof(buffer);
      const std::size_t result = iconv(cd_, &in, &inLeft, &out, &outLeft);
      output.append(buffer, sizeof(buffer) - outLeft);
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
        continue;
      }
      if (!onBadSequence(output)) {
        return false;
      }
      ++in;
      --inLeft;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  Converter converter("UTF-8", "GBK");
  if (!converter.ok()) {
    return std::string(gbk);
  }
  std::string utf8;
  converter.Convert(gbk, utf8, [](std::string& output) {
    output += '?';
    return true;
  });
  return utf8;
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  Converter converter("GBK", "UTF-8");
  if (!converter.ok()) {
    return std::nullopt;
  }
  std::string gbk;
  if (!converter.Convert(utf8, gbk, [](std::string&) { return false; })) {
    return std::nullopt;
  }
  return gbk;
}

}  // namespace host_simulator
