#include "signin/daily_signin.h"

#include "game/ledger.h"
#include "runtime/convert.h"
#include "runtime/random.h"
#include "runtime/settings/settings.h"
#include "signin/signin_ledger.h"

namespace zorvane {

const TextView LastSigninDayKey = "每日签到日期";
const TextView SigninCountKey = "每日签到次数";

bool AreValidSigninAmounts(const SigninAmounts& amounts) {
  return amounts.least >= 1 && amounts.least <= amounts.most && amounts.most <= MaxSigninAmount;
}

std::int32_t DrawSigninAmount(const SigninAmounts& amounts) {
  // The module's own generator, seeded as the game seeds it for every event.
  SeedRandom();
  return RandomInRange(amounts.least, amounts.most);
}

Text BalanceOf(TextView folder, TextView group, TextView member) {
  return ReadMemberBalance(folder, group, member).value_or(Text("0"));
}

Signin SignIn(TextView folder, TextView group, TextView member, TextView day, std::int32_t amount) {
  const Text ledger = LedgerFilePath(folder, group);
  const Text section = LedgerSection(member, group);
  Signin signin;
  if (!MakeLedgerFolder(folder)) {
    return signin;
  }

  // 1. Claim the day.
  Text dayBefore;
  bool claimed = false;
  const bool recorded =
      ChangeSharedSetting(ledger, section, LastSigninDayKey, [&](const Text& stored) {
        dayBefore = stored;
        claimed = stored != day;
        return claimed ? std::optional<Text>(Text(day)) : std::nullopt;
      });
  if (!recorded) {
    return signin;
  }
  if (!claimed) {
    signin.outcome = SigninOutcome::AlreadySignedIn;
    signin.count = ReadSetting(ledger, section, SigninCountKey);
    signin.balance = BalanceOf(folder, group, member);
    return signin;
  }

  // 2. Pay. A payment that cannot be written gives the day back.
  if (!PayMember(folder, group, member, amount)) {
    if (dayBefore.empty()) {
      WriteSetting(ledger, section, LastSigninDayKey, std::nullopt);
    } else {
      WriteSetting(ledger, section, LastSigninDayKey, TextView(dayBefore));
    }
    return signin;
  }
  signin.outcome = SigninOutcome::SignedIn;
  signin.amount = amount;

  // 3. Count it; the count only shows in the reply, so a failed write of it
  // takes nothing back.
  ChangeSharedSetting(ledger, section, SigninCountKey, [&](const Text& stored) {
    signin.count = ToText(ToNumber(stored) + 1);
    return std::optional<Text>(signin.count);
  });
  signin.balance = BalanceOf(folder, group, member);
  return signin;
}

}  // namespace zorvane
