#include "signin/ledger_members.h"

#include <algorithm>

#include "game/contract.h"
#include "game/ledger.h"
#include "runtime/convert.h"
#include "runtime/settings/setting_sections.h"
#include "runtime/settings/settings.h"

namespace riddle_site {

std::vector<MemberBalance> LedgerMembers(const std::string& ledgerFile, std::string_view group) {
  // Sections are named member + "--" + group; a section of another group
  // that found its way into the file is not one of this group's members.
  const std::string suffix = std::string(zorvane::LedgerSectionJoint) + std::string(group);
  std::vector<MemberBalance> members;
  for (const zorvane::Text& section : zorvane::ReadSectionNames(ledgerFile)) {
    const std::string_view name = section;
    if (name.size() <= suffix.size() || !name.ends_with(suffix)) {
      continue;
    }
    // No balance is ever legitimately empty: the empty text means none.
    const std::string text(zorvane::ReadSetting(ledgerFile, section, zorvane::BalanceKey));
    if (!text.empty()) {
      members.push_back({std::string(name.substr(0, name.size() - suffix.size())), text,
                         zorvane::ToNumber(text)});
    }
  }
  std::stable_sort(
      members.begin(), members.end(),
      [](const MemberBalance& a, const MemberBalance& b) { return a.value > b.value; });
  return members;
}

}  // namespace riddle_site
