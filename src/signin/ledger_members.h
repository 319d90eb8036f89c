// The members of a group's sign-in ledger and their balances, read through
// the module's own settings layer. Names and texts are GBK.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace riddle_site {

struct MemberBalance {
  std::string member;
  std::string text;  // the balance as stored
  double value = 0;  // as the module reads it
};

// The members of group that ledgerFile holds a balance for, highest balance
// first (equal balances in file order). A section of another group, and a
// member whose balance is empty, are left out.
std::vector<MemberBalance> LedgerMembers(const std::string& ledgerFile, std::string_view group);

}  // namespace riddle_site
