// Whether a text keeps its bytes through a settings file. The module stores
// a riddle's answer, as cut from its page, in the group's state file and
// judges every guess against what it reads back from there: an answer that
// reads back otherwise (quotes taken off, blanks trimmed) can never be won.
#pragma once

#include <string_view>

namespace riddle_site {

enum class RoundTrip {
  Same,       // reads back as written
  Changed,    // reads back otherwise
  Unchecked,  // no scratch settings file could be written
};

// Writes gbkValue with the module's own settings layer into a scratch file
// and reads it back. Values made of ASCII letters, digits and GBK
// double-byte characters alone hold nothing that a settings file treats
// specially: they are taken as the same without touching a file, which
// every write would have to flush to disk.
RoundTrip SettingsRoundTrip(std::string_view gbkValue);

}  // namespace riddle_site
