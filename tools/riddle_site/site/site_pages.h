// The pages the riddle site serves to the module (GBK HTML): one page per
// riddle, laid out with the contract's page markers, the update page, the
// front page and the page for an unknown path.
#pragma once

#include <string>
#include <string_view>

#include "riddles/riddle_catalog.h"

namespace riddle_site {

inline constexpr char GbkHtml[] = "text/html; charset=gbk";

// Where the site serves the update page (the module's build names its
// address).
inline constexpr char UpdatePagePath[] = "/update.html";

// The riddle's page: the question in the page's first heading, the answer in
// the answer's heading and the link to the next riddle of the chain.
std::string RiddlePage(const RiddleCatalog& catalog, const Riddle& riddle);

// The update page; it offers updateLink when that is not empty.
std::string UpdatePage(std::string_view updateLink);

// The site's front page: a link to the first riddle, no riddle markers.
std::string IndexPage();

// The page for an unknown path; it carries none of the riddle markers.
std::string NotFoundPage(std::string_view path);

}  // namespace riddle_site
