#include "game/site_urls.h"

namespace zorvane {
namespace {

// Both come from the build options RIDDLE_SITE_BASE and UPDATE_PAGE_URL.
Text& SiteBase() {
  static Text base(ZORVANE_RIDDLE_SITE_BASE);
  return base;
}

Text& UpdatePage() {
  static Text page(ZORVANE_UPDATE_PAGE_URL);
  return page;
}

}  // namespace

TextView RiddleSiteBase() {
  return SiteBase();
}

TextView UpdatePageUrl() {
  return UpdatePage();
}

void SetSiteUrlsForTesting(TextView riddleSiteBase, TextView updatePageUrl) {
  SiteBase() = Text(riddleSiteBase);
  UpdatePage() = Text(updatePageUrl);
}

}  // namespace zorvane
