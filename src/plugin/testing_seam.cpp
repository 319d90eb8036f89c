// Linked only into the test build of the module: lets end-to-end tests point
// it at a run directory and a riddle site of their own. A null run directory
// keeps the host's folder that the module found at load.
#include "game/site_urls.h"
#include "plugin/exports.h"
#include "runtime/run_environment.h"

extern "C" ZORVANE_EXPORT void ZorvaneConfigureForTesting(const char* runDirectory,
                                                          const char* riddleSiteBase,
                                                          const char* updatePageUrl) {
  using namespace zorvane;
  if (runDirectory != nullptr) {
    SetRunDirectoryForTesting(CopyText(runDirectory));
  }
  SetSiteUrlsForTesting(CopyText(riddleSiteBase), CopyText(updatePageUrl));
}
