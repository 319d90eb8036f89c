// Members' balances, kept by the companion sign-in module in one settings
// file per group. Only the key of the member who sent the message is touched.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace zorvane {

// A member must hold more than PlayThreshold (by more than BalanceEpsilon) to play.
inline constexpr double PlayThreshold = 20.0;
inline constexpr double BalanceEpsilon = 0.0000001;

// The folder of a host's ledgers, and the group's ledger in it (see the
// contract), for the module (its run directory) and the programs around it
// alike.
Text LedgerFolderPath(TextView folder);
Text LedgerFilePath(TextView folder, TextView group);

// The member's section: the same member number in two groups holds two balances.
Text LedgerSection(TextView member, TextView group);

// The rest works on the ledgers below the run directory.

// The balance as stored; the empty text when the file, section or key is missing.
Text ReadBalanceText(TextView group, TextView member);

// The stored balance as a number; a missing or unreadable one is 0.
double ReadBalance(TextView group, TextView member);

bool IsAbovePlayThreshold(double balance);

// Reads the balance anew and tests it against the threshold.
bool MayPlay(TextView group, TextView member);

// Reads the balance anew, adds delta and writes it back in the "%.13g" form
// that the sign-in module reads, in one change of the file. No bound is
// applied.
void AdjustBalance(TextView group, TextView member, std::int32_t delta);

}  // namespace zorvane
