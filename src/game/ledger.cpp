#include "game/ledger.h"

#include <cmath>

#include "runtime/convert.h"
#include "runtime/run_environment.h"
#include "runtime/settings/settings.h"

namespace zorvane {

Text LedgerFilePath(TextView group) {
  return ConcatTexts({RunDirectory(), LedgerFileStem, group, LedgerFileExtension});
}

Text LedgerSection(TextView member, TextView group) {
  return ConcatTexts({member, LedgerSectionJoint, group});
}

Text ReadBalanceText(TextView group, TextView member) {
  return ReadSetting(LedgerFilePath(group), LedgerSection(member, group), BalanceKey);
}

double ReadBalance(TextView group, TextView member) {
  return ToNumber(ReadBalanceText(group, member));
}

bool IsAbovePlayThreshold(double balance) {
  return balance - PlayThreshold > BalanceEpsilon;
}

bool MayPlay(TextView group, TextView member) {
  return IsAbovePlayThreshold(ReadBalance(group, member));
}

void AdjustBalance(TextView group, TextView member, std::int32_t delta) {
  const double balance = ReadBalance(group, member) + delta;
  // A stored balance beyond the largest double reads as infinity, whose text
  // would read back as 0: the member's money stays as it was written.
  if (!std::isfinite(balance)) {
    return;
  }
  WriteSetting(LedgerFilePath(group), LedgerSection(member, group), BalanceKey, ToText(balance));
}

}  // namespace zorvane
