#include "site/site_export.h"

#include <filesystem>

#include "files/fresh_file.h"
#include "game/contract.h"
#include "site/site_pages.h"

namespace riddle_site {

namespace fs = std::filesystem;

namespace {

// A site-relative path as a file below root.
fs::path Below(const fs::path& root, const std::string& path) {
  return root / path.substr(1);
}

}  // namespace

std::optional<std::string> ExportSite(const RiddleCatalog& catalog, const std::string& updateLink,
                                      const std::string& folder) {
  const fs::path root(folder);
  std::error_code error;
  const fs::path pages = Below(root, RiddlePath(zorvane::FirstRiddleId)).parent_path();
  fs::create_directories(pages, error);
  if (error) {
    return "cannot make the folder " + pages.string() + ": " + error.message();
  }
  auto write = [&](const std::string& path,
                   const std::string& bytes) -> std::optional<std::string> {
    const fs::path file = Below(root, path);
    // A link planted in the folder is replaced, and its target left alone.
    return WriteFreshFile(file, bytes);
  };
  for (const Riddle& riddle : catalog.riddles()) {
    if (auto failed = write(RiddlePath(riddle.id), RiddlePage(catalog, riddle))) {
      return failed;
    }
  }
  if (auto failed = write(UpdatePagePath, UpdatePage(updateLink))) {
    return failed;
  }
  return write("/index.html", IndexPage());
}

}  // namespace riddle_site
