#include "files/fresh_file.h"

#include <atomic>
#include <fstream>
#include <sstream>

#include "files/fresh_file_platform.h"

namespace riddle_site {
namespace {

namespace fs = std::filesystem;

// A name beside file that no other writer uses: this process's number and a
// count of its fresh files.
fs::path NameBeside(const fs::path& file) {
  static std::atomic<unsigned> written{0};
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) of a literal
  // added to a temporary string.
  std::string name = ".";
  name += file.filename().string();
  name += ".tmp";
  name += std::to_string(ProcessNumber());
  name += '-';
  name += std::to_string(written++);
  return file.parent_path() / name;
}

// The bytes written to a new file beside file and put on the disk: its path,
// or why it could not be (nothing is left behind then).
struct Written {
  fs::path path;
  std::optional<std::string> failed;
};

Written WriteBeside(const fs::path& file, std::string_view bytes, const WriteBytes& write) {
  const fs::path fresh = NameBeside(file);
  std::error_code error;
  std::FILE* out = CreateNewFile(fresh, error);
  if (out == nullptr) {
    return {fresh, "cannot create " + fresh.string() + ": " + error.message()};
  }
  const bool written = write(out, bytes) && std::fflush(out) == 0 && FlushToDisk(out);
  const bool closed = std::fclose(out) == 0;
  if (!written || !closed) {
    std::error_code ignored;
    fs::remove(fresh, ignored);
    return {fresh, "cannot write " + file.string() + " (is the disk full?)"};
  }
  return {fresh, std::nullopt};
}

std::optional<std::string> MoveIntoPlace(const fs::path& fresh, const fs::path& file) {
  const std::error_code error = RenameOver(fresh, file);
  if (!error) {
    return std::nullopt;
  }
  std::error_code ignored;
  fs::remove(fresh, ignored);
  return "cannot replace " + file.string() + ": " + error.message();
}

}  // namespace

bool WriteAllBytes(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

std::optional<std::string> WriteFreshFile(const fs::path& file, std::string_view bytes,
                                          const WriteBytes& write) {
  const Written fresh = WriteBeside(file, bytes, write);
  if (fresh.failed) {
    return fresh.failed;
  }
  return MoveIntoPlace(fresh.path, file);
}

std::optional<std::string> ReplaceKeepingBackup(const fs::path& file, std::string_view bytes,
                                                const WriteBytes& write) {
  const Written fresh = WriteBeside(file, bytes, write);
  if (fresh.failed) {
    return fresh.failed;
  }
  // The backup is a copy: the file itself is only ever replaced by a
  // rename, so that it never goes missing, not even for a moment.
  std::error_code error;
  if (fs::exists(file, error)) {
    std::ifstream current(file, std::ios::binary);
    std::ostringstream held;
    held << current.rdbuf();
    fs::path backup = file;
    backup += ".bak";
    if (!current || WriteFreshFile(backup, held.str())) {
      fs::remove(fresh.path, error);
      return "cannot keep the backup " + backup.string();
    }
  }
  return MoveIntoPlace(fresh.path, file);
}

}  // namespace riddle_site
