// A short scripted game that checks every reply against the riddle site's
// catalogue: the host simulator's smoke test of a built module.
#pragma once

#include "session.h"
#include "signin_ledger.h"

namespace host_simulator {

// Plays the demo; 0 when every reply and balance was as expected, 1 otherwise.
int RunDemo(Session& session, const SigninLedger& ledger);

}  // namespace host_simulator
