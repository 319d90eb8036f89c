// Replacing a file so that a reader, or the next start after a crash, finds
// either the old content or the new one, never a part of the new.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace riddle_site {

// Writes bytes to an open file; false when not all of them were written.
using WriteBytes = std::function<bool(std::FILE* file, std::string_view bytes)>;

bool WriteAllBytes(std::FILE* file, std::string_view bytes);

// Writes bytes to path + ".new", flushes it to the disk, keeps the current
// file as path + ".bak" and renames the new file to path. When any step
// fails, path is left as it was and the reason (UTF-8) is returned.
std::optional<std::string> ReplaceFile(const std::string& path, std::string_view bytes,
                                       const WriteBytes& write = WriteAllBytes);

}  // namespace riddle_site
