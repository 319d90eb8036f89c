#include "site_export.h"

#include <filesystem>
#include <fstream>

namespace riddle_site {
namespace {

namespace fs = std::filesystem;

// Writes the whole file; false when it cannot be created or written.
bool WriteWholeFile(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

std::optional<std::string> ExportSite(const RiddleCatalog& catalog, const std::string& updateLink,
                                      const std::string& folder) {
  const fs::path root(folder);
  std::error_code error;
  fs::create_directories(root / "dmmy", error);
  if (error) {
    return "cannot make the folder " + (root / "dmmy").string() + ": " + error.message();
  }
  auto write = [&](const fs::path& relative,
                   const std::string& bytes) -> std::optional<std::string> {
    const fs::path file = root / relative;
    if (!WriteWholeFile(file, bytes)) {
      return "cannot write " + file.string();
    }
    return std::nullopt;
  };
  for (const Riddle& riddle : catalog.riddles()) {
    // RiddlePath is "/dmmy/<id>.html": below the root without its "/".
    if (auto failed = write(RiddlePath(riddle.id).substr(1), catalog.Page(riddle))) {
      return failed;
    }
  }
  if (auto failed = write("update.html", BuildUpdatePage(updateLink))) {
    return failed;
  }
  return write("index.html", BuildIndexPage());
}

}  // namespace riddle_site
