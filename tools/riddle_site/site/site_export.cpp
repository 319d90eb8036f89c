#include "site/site_export.h"

#include <filesystem>

#include "site/fresh_file.h"

namespace riddle_site {

namespace fs = std::filesystem;

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
    // A fresh file renamed into place: a link planted in the folder is
    // replaced, and its target left alone.
    if (!WriteFreshFile(file, bytes)) {
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
