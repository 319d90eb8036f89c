// What zorvane-host does for each operation, with the module it loaded and
// the ledgers in its folder. Texts arrive in UTF-8 and become GBK here, for
// the module and the ledger; what they give back becomes UTF-8 again. A
// character that GBK lacks becomes "?", never an error.
#pragma once

#include <string>

#include "host/zorvane_module.h"
#include "serve.h"
#include "signin/daily_signin.h"

namespace zorvane_host {

struct HostSetup {
  std::string folder;      // the run folder, as the settings layer names folders
  std::string descriptor;  // what the module's info gave when the host loaded it (GBK)
  std::string siteBase;    // the riddle site the module was built for
  zorvane::SigninAmounts amounts;
};

// The operations: info, event, signin, balance, give, top, ping.
Operations HostOperations(zorvane::host::ZorvaneModule& module, const HostSetup& setup);

}  // namespace zorvane_host
