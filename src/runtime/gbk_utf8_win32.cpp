#include <windows.h>

#include <algorithm>

#include "runtime/gbk_utf8.h"

namespace riddle_site {
namespace {

constexpr UINT GbkCodePage = 936;

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  if (utf8.empty()) {
    return std::string();
  }
  const int utf8Size = static_cast<int>(utf8.size());
  const int wideSize =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), utf8Size, nullptr, 0);
  if (wideSize <= 0) {
    return std::nullopt;
  }
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), utf8Size, wide.data(), wideSize);
  // No best-fit mapping: a character that GBK lacks must fail, not turn
  // into a look-alike or "?".
  BOOL usedDefault = FALSE;
  const int gbkSize = WideCharToMultiByte(GbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize,
                                          nullptr, 0, nullptr, &usedDefault);
  if (gbkSize <= 0 || usedDefault) {
    return std::nullopt;
  }
  std::string gbk(static_cast<std::size_t>(gbkSize), '\0');
  WideCharToMultiByte(GbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize, gbk.data(), gbkSize,
                      nullptr, &usedDefault);
  return usedDefault ? std::nullopt : std::optional<std::string>(gbk);
}

std::string GbkToUtf8Shown(std::string_view gbk) {
  if (gbk.empty()) {
    return std::string();
  }
  const int gbkSize = static_cast<int>(gbk.size());
  const int wideSize = MultiByteToWideChar(GbkCodePage, 0, gbk.data(), gbkSize, nullptr, 0);
  if (wideSize <= 0) {
    return "?";
  }
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(GbkCodePage, 0, gbk.data(), gbkSize, wide.data(), wideSize);
  const int utf8Size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(utf8Size, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, utf8.data(), utf8Size, nullptr, nullptr);
  return utf8;
}

}  // namespace riddle_site
