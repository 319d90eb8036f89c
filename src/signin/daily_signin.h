// The daily sign-in: once each calendar day a member collects a random
// amount of money, added to the balance the game plays with, in the group's
// ledger. Its own record, the day of the member's last sign-in and the
// number of sign-ins, sits beside the balance in the member's section; keys
// that another sign-in module keeps there are left alone. Names, texts and
// the folder are GBK, as in signin_ledger.h.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace zorvane {

// The sign-in's own keys in the member's ledger section, named apart from
// those other sign-in modules keep there ("签到次数" is common).
extern const TextView LastSigninDayKey;  // the day, as TodaysDate names it
extern const TextView SigninCountKey;    // sign-ins so far

// What a sign-in pays, both ends included. By default more than the game
// needs to play (PlayThreshold) with a wrong guess's cost to spare: a member
// who has signed in plays at once, and goes on after a first wrong guess.
struct SigninAmounts {
  std::int32_t least = 40;
  std::int32_t most = 60;
};

// The most a host may have a sign-in pay.
inline constexpr std::int32_t MaxSigninAmount = 1'000'000'000;

// 1 <= least <= most <= MaxSigninAmount.
bool AreValidSigninAmounts(const SigninAmounts& amounts);

// A random amount from the range.
std::int32_t DrawSigninAmount(const SigninAmounts& amounts);

// Today on this machine's clock, "YYYY-MM-DD".
Text TodaysDate();

enum class SigninOutcome {
  SignedIn,         // paid
  AlreadySignedIn,  // the member signed in on that day already: nothing paid
  NotWritten,       // the ledger could not be written: nothing paid, nothing recorded
};

struct Signin {
  SigninOutcome outcome = SigninOutcome::NotWritten;
  std::int32_t amount = 0;  // paid by this sign-in
  Text count;               // sign-ins so far, as stored ("" when unknown)
  Text balance;             // the stored balance afterwards ("0" when there is none)
};

// Signs member in on day, paying amount, unless the member signed in on
// that day already. The day is claimed before the money is paid, so that
// of two sign-ins at once only one pays; when the payment cannot be
// written, the claim is taken back and the member may try again.
Signin SignIn(TextView folder, TextView group, TextView member, TextView day, std::int32_t amount);

// The member's stored balance, "0" when there is none.
Text BalanceOf(TextView folder, TextView group, TextView member);

}  // namespace zorvane
