#include "game/ledger.h"

#include <cmath>

#include "game/contract.h"
#include "runtime/convert.h"
#include "runtime/run_environment.h"
#include "runtime/settings/settings.h"

namespace zorvane {
namespace {

Text OwnLedgerFile(TextView group) {
  return LedgerFilePath(RunDirectory(), group);
}

}  // namespace

// Backslashes, as the sign-in module writes them; the settings layer takes
// "\" and "/" alike.
Text LedgerFolderPath(TextView folder) {
  return ConcatTexts({folder, "\\", LedgerFolderName});
}

Text LedgerFilePath(TextView folder, TextView group) {
  return ConcatTexts({LedgerFolderPath(folder), "\\", LedgerFileStem, group, LedgerFileExtension});
}

Text LedgerSection(TextView member, TextView group) {
  return ConcatTexts({member, LedgerSectionJoint, group});
}

Text ReadBalanceText(TextView group, TextView member) {
  return ReadSetting(OwnLedgerFile(group), LedgerSection(member, group), BalanceKey);
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

// The new balance is made from the stored one in the same read that the
// write edits: a sign-in that changes this member's balance meanwhile is
// added to, not overwritten.
void AdjustBalance(TextView group, TextView member, std::int32_t delta) {
  ChangeSharedSetting(OwnLedgerFile(group), LedgerSection(member, group), BalanceKey,
                      [delta](const Text& stored) -> std::optional<Text> {
                        const double balance = ToNumber(stored) + delta;
                        // A stored balance beyond the largest double reads as
                        // infinity, whose text would read back as 0: the
                        // member's money stays as it was written.
                        if (!std::isfinite(balance)) {
                          return std::nullopt;
                        }
                        return ToText(balance);
                      });
}

}  // namespace zorvane
