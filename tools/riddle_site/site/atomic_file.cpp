#include "site/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "console/console_platform.h"

namespace riddle_site {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

}  // namespace

bool WriteAllBytes(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

std::optional<std::string> ReplaceFile(const std::string& path, std::string_view bytes,
                                       const WriteBytes& write) {
  const fs::path target(path);
  const fs::path fresh(path + ".new");
  const fs::path backup(path + ".bak");
  std::FILE* file = std::fopen(fresh.string().c_str(), "wb");
  if (file == nullptr) {
    return Utf8(u8"cannot create ") + fresh.string() + ": " + std::strerror(errno);
  }
  const bool written = write(file, bytes) && std::fflush(file) == 0 && FlushToDisk(file);
  const bool closed = std::fclose(file) == 0;
  std::error_code error;
  if (!written || !closed) {
    fs::remove(fresh, error);
    return Utf8(u8"cannot write ") + fresh.string() + Utf8(u8" (is the disk full?)");
  }
  // The backup is a copy: the file itself is only ever replaced by a rename,
  // so that it never goes missing, not even for a moment.
  if (fs::exists(target, error)) {
    fs::copy_file(target, backup, fs::copy_options::overwrite_existing, error);
    if (error) {
      fs::remove(fresh, error);
      return Utf8(u8"cannot keep the backup ") + backup.string();
    }
  }
  fs::rename(fresh, target, error);
  if (error) {
    const std::string why = error.message();
    fs::remove(fresh, error);
    return Utf8(u8"cannot replace ") + path + ": " + why;
  }
  return std::nullopt;
}

}  // namespace riddle_site
