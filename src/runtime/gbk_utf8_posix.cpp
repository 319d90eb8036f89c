#include "runtime/gbk_utf8.h"

#include <iconv.h>

#include <cerrno>

#include "runtime/gbk_to_utf8.h"

namespace riddle_site {
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

  // Converts all of input; false at the first sequence that cannot be converted.
  bool Convert(std::string_view input, std::string& output) {
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof(buffer);
      const std::size_t result = iconv(cd_, &in, &inLeft, &out, &outLeft);
      output.append(buffer, sizeof(buffer) - outLeft);
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  Converter converter("GBK", "UTF-8");
  std::string gbk;
  if (!converter.ok() || !converter.Convert(utf8, gbk)) {
    return std::nullopt;
  }
  return gbk;
}

std::string GbkToUtf8Shown(std::string_view gbk) {
  return zorvane::GbkToUtf8(gbk);
}

}  // namespace riddle_site
