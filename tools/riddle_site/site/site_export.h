// The riddle site as static files, for any web server or CDN: the module
// only needs the pages at its site address + path.
#pragma once

#include <optional>
#include <string>

#include "riddles/riddle_catalog.h"

namespace riddle_site {

// Writes every riddle page as the file below folder that its path names,
// the update page as folder/update.html and the index as folder/index.html
// (GBK), making the folders that are missing. Each file is written anew and renamed into
// place: a link in the folder is replaced, never written through. Returns
// what went wrong (UTF-8), or nullopt.
std::optional<std::string> ExportSite(const RiddleCatalog& catalog, const std::string& updateLink,
                                      const std::string& folder);

}  // namespace riddle_site
