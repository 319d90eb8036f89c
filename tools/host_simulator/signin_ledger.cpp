#include "signin_ledger.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "ini_file.h"

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
  return ReadIniValue(FilePath(), section(), BalanceKey);
}

double SigninLedger::Balance() const {
  const std::optional<std::string> text = BalanceText();
  return text ? std::strtod(text->c_str(), nullptr) : 0.0;
}

bool SigninLedger::SetBalance(const std::string& text) const {
  const std::string folder = runDirectory_ + "/config";
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
    return false;
  }
  return WriteIniValue(FilePath(), section(), BalanceKey, text);
}

bool SigninLedger::SeedIfMissing() const {
  return BalanceText() ? true : SetBalance(StartingBalance);
}

}  // namespace host_simulator
