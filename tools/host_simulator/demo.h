// A short scripted game that checks every reply against the riddle site's
// collection: the host simulator's smoke test of a built module.
#pragma once

#include <string>

#include "host.h"
#include "riddles/riddle_catalog.h"

namespace host_simulator {

// Plays the demo as the host's member would type it; 0 when every reply
// and balance was as expected, 1 otherwise. descriptor is what info gave.
int RunDemo(Host& host, const riddle_site::RiddleCatalog& catalog, const std::string& descriptor);

}  // namespace host_simulator
