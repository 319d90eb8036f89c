#include "signin/signin_ledger.h"

#include <utility>

#include "runtime/convert.h"
#include "runtime/run_environment.h"
#include "runtime/settings/settings.h"

namespace host_simulator {
namespace {

constexpr char BalanceKey[] = "总共人民币";
constexpr std::string_view SectionSeparator = "--";

std::string Section(const std::string& group, const std::string& member) {
  return member + std::string(SectionSeparator) + group;
}

}  // namespace

SigninLedger::SigninLedger(std::string runDirectory) : runDirectory_(std::move(runDirectory)) {}

std::string SigninLedger::FilePath(const std::string& group) const {
  return runDirectory_ + "/config/签到数据" + group + ".ini";
}

std::optional<std::string> SigninLedger::BalanceText(const std::string& group,
                                                     const std::string& member) const {
  // A missing key reads as the empty text. No balance is ever legitimately
  // empty, so the empty text means there is none.
  const zorvane::Text text =
      zorvane::ReadSetting(FilePath(group), Section(group, member), BalanceKey);
  if (text.empty()) {
    return std::nullopt;
  }
  return std::string(text);
}

double SigninLedger::Balance(const std::string& group, const std::string& member) const {
  const std::optional<std::string> text = BalanceText(group, member);
  return text ? zorvane::ToNumber(*text) : 0.0;
}

bool SigninLedger::SetBalance(const std::string& group, const std::string& member,
                              const std::string& text) const {
  const std::string folder = runDirectory_ + "/config";
  if (!zorvane::CreateDir(folder) && !zorvane::FileExists(folder)) {
    return false;
  }
  return zorvane::WriteSetting(FilePath(group), Section(group, member), BalanceKey, text);
}

bool SigninLedger::Give(const std::string& group, const std::string& member, double amount) const {
  const zorvane::Text total = zorvane::ToText(Balance(group, member) + amount);
  return SetBalance(group, member, std::string(total));
}

bool SigninLedger::SeedIfMissing(const std::string& group, const std::string& member) const {
  return BalanceText(group, member) ? true : SetBalance(group, member, StartingBalance);
}

std::vector<MemberBalance> SigninLedger::Members(const std::string& group) const {
  return riddle_site::LedgerMembers(FilePath(group), group);
}

}  // namespace host_simulator
