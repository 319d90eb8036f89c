// What writing a fresh file needs from the system, one file per platform.
#pragma once

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace riddle_site {

// A file created new at path, open for writing bytes; null, with the
// system's reason in error, when anything stands at path already (a link
// included) or nothing can be made there.
std::FILE* CreateNewFile(const std::filesystem::path& path, std::error_code& error);

// Asks the system to put the file's written bytes on the disk.
bool FlushToDisk(std::FILE* file);

// Renames from to to, replacing what to names (a link itself, not its
// target); the system's reason when it cannot.
std::error_code RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// This process's number, which keeps its fresh files apart from another's.
unsigned long ProcessNumber();

}  // namespace riddle_site
