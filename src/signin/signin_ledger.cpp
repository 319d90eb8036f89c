#include "signin/signin_ledger.h"

#include <algorithm>
#include <cmath>

#include "game/contract.h"
#include "game/ledger.h"
#include "runtime/convert.h"
#include "runtime/run_environment.h"
#include "runtime/settings/setting_sections.h"
#include "runtime/settings/settings.h"

namespace zorvane {

// A file named like the folder counts as the folder: the write then fails.
bool MakeLedgerFolder(TextView folder) {
  const Text ledgers = LedgerFolderPath(folder);
  return CreateDir(ledgers) || FileExists(ledgers);
}

std::optional<Text> ReadMemberBalance(TextView folder, TextView group, TextView member) {
  Text text = ReadSetting(LedgerFilePath(folder, group), LedgerSection(member, group), BalanceKey);
  if (text.empty()) {
    return std::nullopt;
  }
  return text;
}

bool WriteMemberBalance(TextView folder, TextView group, TextView member, TextView text) {
  return MakeLedgerFolder(folder) && WriteSetting(LedgerFilePath(folder, group),
                                                  LedgerSection(member, group), BalanceKey, text);
}

bool PayMember(TextView folder, TextView group, TextView member, double amount) {
  if (!MakeLedgerFolder(folder)) {
    return false;
  }
  bool finite = true;
  const bool written =
      ChangeSharedSetting(LedgerFilePath(folder, group), LedgerSection(member, group), BalanceKey,
                          [&](const Text& stored) -> std::optional<Text> {
                            const double balance = ToNumber(stored) + amount;
                            finite = std::isfinite(balance);
                            return finite ? std::optional<Text>(ToText(balance)) : std::nullopt;
                          });
  return written && finite;
}

std::vector<MemberBalance> LedgerMembers(TextView folder, TextView group) {
  const Text ledger = LedgerFilePath(folder, group);
  // Sections are named member + joint + group; a section of another group
  // that found its way into the file is not one of this group's members.
  const Text suffix = ConcatTexts({LedgerSectionJoint, group});
  std::vector<MemberBalance> members;
  for (const Text& section : ReadSectionNames(ledger)) {
    const TextView name = section;
    if (name.size() <= suffix.size() || !name.ends_with(suffix)) {
      continue;
    }
    Text text = ReadSetting(ledger, section, BalanceKey);
    if (!text.empty()) {
      const double value = ToNumber(text);
      members.push_back(
          {Text(name.substr(0, name.size() - suffix.size())), std::move(text), value});
    }
  }
  std::stable_sort(
      members.begin(), members.end(),
      [](const MemberBalance& a, const MemberBalance& b) { return a.value > b.value; });
  return members;
}

}  // namespace zorvane
