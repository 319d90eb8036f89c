// Where a request to the console comes from, as far as a browser tells.
#pragma once

#include "http_message.h"

namespace riddle_site {

// Whether the Host header names this machine exactly (IsLoopbackHost): an
// open console answers no page that a web site could reach under a name of
// its own and so read with the operator's browser.
bool NamesThisMachine(const web_server::Request& request);

// Whether a form was sent from one of the console's own pages: the
// browser's Sec-Fetch-Site says "same-origin" and its Origin names the host
// the request went to. A browser sends at least one of them with every
// form; a request that carries neither is no browser's form and is taken
// for another site's.
bool SentFromTheConsole(const web_server::Request& request);

}  // namespace riddle_site
