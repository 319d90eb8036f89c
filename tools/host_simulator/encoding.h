// The terminal's UTF-8 as the module's GBK. The other way is the module's
// own zorvane::GbkToUtf8 (runtime/gbk_to_utf8.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host_simulator {

// UTF-8 as GBK bytes; nullopt when the text is not UTF-8 or holds a
// character that GBK lacks.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

}  // namespace host_simulator
