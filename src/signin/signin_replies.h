// What the sign-in tells members, in GBK, with the game's line ends.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "runtime/text.h"
#include "signin/daily_signin.h"
#include "signin/signin_ledger.h"

namespace zorvane {

// The standings show this many members.
inline constexpr std::size_t StandingsLength = 10;

// The reply to a sign-in that paid starts with SigninPaidReplyHead and the
// amount.
extern const TextView SigninPaidReplyHead;

// The reply to a sign-in.
Text SigninReply(const Signin& signin);

// The reply to a member asking for their balance (as BalanceOf gives it).
Text BalanceReply(TextView balance);

// The group's leaders, as LedgerMembers lists them, the first
// StandingsLength of them, each under the name nameOf gives.
Text StandingsReply(const std::vector<MemberBalance>& members,
                    const std::function<Text(TextView member)>& nameOf);

}  // namespace zorvane
