// Between the module's GBK and the terminal's UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host_simulator {

// GBK bytes as UTF-8; a byte sequence that is not GBK shows as "?".
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 as GBK bytes; nullopt when the text is not UTF-8 or holds a
// character that GBK lacks.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

}  // namespace host_simulator
