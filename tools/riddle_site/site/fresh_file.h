// Writing a file as a whole new one, for folders that others may write to.
#pragma once

#include <filesystem>
#include <string>

namespace riddle_site {

// Writes bytes to a new file beside file and renames it to file, so that
// whatever stood there, a link included, is replaced and never written
// through. False when it cannot be written; file is then as it was.
bool WriteFreshFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace riddle_site
