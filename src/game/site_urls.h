// The two web addresses compiled into the module.
#pragma once

#include "runtime/text.h"

namespace zorvane {

// The riddle site: scheme and host, no trailing "/".
TextView RiddleSiteBase();

// The page that may carry an update link.
TextView UpdatePageUrl();

// Points both elsewhere (tests only).
void SetSiteUrlsForTesting(TextView riddleSiteBase, TextView updatePageUrl);

}  // namespace zorvane
