// Linked only into the test builds of the modules: lets end-to-end tests
// point one at a run directory and a riddle site of their own (the sign-in
// module asks no site). A null run directory keeps the host's folder that
// the module found at load.
#include "game/site_urls.h"
#include "plugin/export_macros.h"
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
