// One key of an INI-style settings file, in the layout of the Windows
// private-profile functions: "[section]" lines and "key=value" lines, names
// matched without regard to ASCII letter case, CRLF line ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host_simulator {

// The value of key in section, trimmed of blanks and of one pair of
// enclosing quotes; nullopt when the file, the section or the key is missing.
std::optional<std::string> ReadIniValue(const std::string& path, std::string_view section,
                                        std::string_view key);

// Sets key to value, adding the section and the key when they are missing
// and keeping every other line. Creates the file but not its folder.
bool WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value);

}  // namespace host_simulator
