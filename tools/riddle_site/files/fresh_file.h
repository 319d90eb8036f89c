// Writing a file as a whole new one, for the riddle file that the console
// saves and the pages that the export writes, in folders that others may
// write to. The bytes go to a file created new beside the file (never one
// that is there already, a link planted there included), onto the disk, and
// that file is renamed to the file's name: whatever stood there, a link
// included, is replaced and never written through, and a reader, or the
// next start after a crash, finds the old content or the new one, never a
// part of the new.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace riddle_site {

// Writes bytes to an open file; false when not all of them were written.
using WriteBytes = std::function<bool(std::FILE* file, std::string_view bytes)>;

bool WriteAllBytes(std::FILE* file, std::string_view bytes);

// Replaces file with bytes, written by write (tests interrupt it). Nullopt
// once done; else why not (UTF-8), and file is as it was.
std::optional<std::string> WriteFreshFile(const std::filesystem::path& file, std::string_view bytes,
                                          const WriteBytes& write = WriteAllBytes);

// The same, keeping what file held before as file + ".bak", which is itself
// written as a fresh file.
std::optional<std::string> ReplaceKeepingBackup(const std::filesystem::path& file,
                                                std::string_view bytes,
                                                const WriteBytes& write = WriteAllBytes);

}  // namespace riddle_site
