#include "signin_ledger.h"

#include <cstdlib>
#include <utility>

#include "runtime/run_environment.h"
#include "runtime/settings.h"

namespace host_simulator {
namespace {

constexpr char BalanceKey[] = "总共人民币";

}  // namespace

SigninLedger::SigninLedger(std::string runDirectory, std::string group, std::string member)
    : runDirectory_(std::move(runDirectory)),
      group_(std::move(group)),
      member_(std::move(member)) {}

std::string SigninLedger::FilePath() const {
  return runDirectory_ + "/config/签到数据" + group_ + ".ini";
}

std::string SigninLedger::section() const {
  return member_ + "--" + group_;
}

std::optional<std::string> SigninLedger::BalanceText() const {
  // A missing key reads as the empty text. No balance is ever legitimately
  // empty, so the empty text means there is none.
  const zorvane::Text text = zorvane::ReadSetting(FilePath(), section(), BalanceKey);
  if (text.empty()) {
    return std::nullopt;
  }
  return std::string(text);
}

double SigninLedger::Balance() const {
  const std::optional<std::string> text = BalanceText();
  return text ? std::strtod(text->c_str(), nullptr) : 0.0;
}

bool SigninLedger::SetBalance(const std::string& text) const {
  const std::string folder = runDirectory_ + "/config";
  if (!zorvane::CreateDir(folder) && !zorvane::FileExists(folder)) {
    return false;
  }
  return zorvane::WriteSetting(FilePath(), section(), BalanceKey, text);
}

bool SigninLedger::SeedIfMissing() const {
  return BalanceText() ? true : SetBalance(StartingBalance);
}

}  // namespace host_simulator
