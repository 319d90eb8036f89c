// UTF-8 (riddle files, the terminal, the console's pages) and the GBK that
// the module speaks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace riddle_site {

// UTF-8 as GBK bytes; nullopt when the text is not UTF-8 or holds a
// character that GBK lacks.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

// GBK as UTF-8 for showing it; a byte that starts no GBK character shows
// as a replacement mark.
std::string GbkToUtf8Shown(std::string_view gbk);

}  // namespace riddle_site
