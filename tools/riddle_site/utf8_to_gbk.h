// UTF-8 (riddle files, the terminal) as the GBK that the module speaks.
// The other way is the module's own zorvane::GbkToUtf8 (Linux only).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace riddle_site {

// UTF-8 as GBK bytes; nullopt when the text is not UTF-8 or holds a
// character that GBK lacks.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

}  // namespace riddle_site
