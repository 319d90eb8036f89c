// The sign-in side of the ledger: what a sign-in module does with the
// balances that the game reads and changes, in the ledger of a group in a
// host's folder (the contract names the file, the sections and the key).
// Every name and text here is GBK, the folder as the settings layer takes
// folder names.
#pragma once

#include <optional>
#include <vector>

#include "runtime/text.h"

namespace zorvane {

// A member's balance as a group's ledger holds it.
struct MemberBalance {
  Text member;
  Text text;         // as stored
  double value = 0;  // as the game reads it
};

// Makes the folder of the host's ledgers when it is missing; false when it
// cannot be made.
bool MakeLedgerFolder(TextView folder);

// The member's stored balance text, or nullopt when there is none: no
// balance is ever legitimately empty, so an empty one counts as none.
std::optional<Text> ReadMemberBalance(TextView folder, TextView group, TextView member);

// Stores text as the member's balance, making the ledgers' folder when it is
// missing. False when the ledger cannot be written.
bool WriteMemberBalance(TextView folder, TextView group, TextView member, TextView text);

// Pays amount (a negative one takes money) to the member as a sign-in module
// pays out: added to the stored balance (none counts as 0) in one change of
// the ledger, so that a change the game makes meanwhile is added to, not
// overwritten, and written as the game writes numbers. False, the balance
// left as it was, when the ledger cannot be written or the sum is beyond
// the largest number (it would read back as 0).
bool PayMember(TextView folder, TextView group, TextView member, double amount);

// The members that the group's ledger holds a balance for, highest balance
// first (equal ones in file order). A section of another group, and an empty
// balance, are left out.
std::vector<MemberBalance> LedgerMembers(TextView folder, TextView group);

}  // namespace zorvane
