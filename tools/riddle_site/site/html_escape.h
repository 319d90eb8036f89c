// Texts shown inside HTML: in element content and in quoted attribute values.
#pragma once

#include <string>
#include <string_view>

namespace riddle_site {

// The text with & < > " ' written as character references; every other byte,
// GBK and UTF-8 alike, stays as it is.
std::string EscapeHtml(std::string_view text);

}  // namespace riddle_site
