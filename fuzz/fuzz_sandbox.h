// The scratch folder of the fuzzers that touch files.
#pragma once

#include <filesystem>
#include <string>

namespace zorvane::fuzzing {

// A fresh folder for this run, removed when it ends: in memory when the
// machine offers /dev/shm, since every settings write flushes to disk.
const std::filesystem::path& Sandbox();

// Removes everything inside folder.
void EmptyFolder(const std::filesystem::path& folder);

// Every entry below folder (files and folders), sorted, as paths relative to it.
std::string ListTree(const std::filesystem::path& folder);

}  // namespace zorvane::fuzzing
