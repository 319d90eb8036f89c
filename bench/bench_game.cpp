#include "bench_game.h"

#include <filesystem>
#include <fstream>

#include "game/contract.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "runtime/native_path.h"
#include "runtime/settings/settings.h"
#include "support/riddle_site_fixture.h"

namespace zorvane::bench {

std::string Member(int n, Names names) {
  std::string name = names == Names::Lettered ? "m" : "";
  return name.append(std::to_string(100000 + n));
}

std::string GroupName(Names names) {
  return names == Names::Lettered ? "g1" : "123456789";
}

BenchGame::BenchGame(int members, const std::string& balance, const std::string& riddleSiteBase,
                     Names names)
    : group_(GroupName(names)), info_(module_.info()), zorvane_(module_.zorvane()) {
  std::filesystem::create_directory(NativePath(GameFolderPath(runDirectory_.str())));
  std::filesystem::create_directory(NativePath(LedgerFolderPath(runDirectory_.str())));
  // The module spells the GBK file name in UTF-8 on Linux.
  ledgerPath_ = NativePath(LedgerFilePath(runDirectory_.str(), group_));
  std::string ledger;
  for (int n = 0; n < members; ++n) {
    ledger.append("[").append(LedgerSection(Member(n, names), group_)).append("]\r\n");
    ledger.append(BalanceKey).append("=").append(balance);
    ledger.append("\r\n签到天数=").append(std::to_string(n % 365)).append("\r\n");
  }
  std::ofstream(ledgerPath_, std::ios::binary) << ledger;
  module_.ConfigureForTesting(runDirectory_.str().c_str(), riddleSiteBase,
                              riddleSiteBase + "/update.html");
}

std::string BenchGame::Event(const std::string& message, const std::string& type,
                             const std::string& member) {
  const char* reply = zorvane_(message.c_str(), type.c_str(), group_.c_str(), member.c_str(), "");
  return reply ? reply : "";
}

void BenchGame::Info() {
  info_();
}

std::string BenchGame::StatePath() const {
  return std::string(StateFilePath(runDirectory_.str(), group_));
}

void BenchGame::OpenRiddle(const std::string& answer) {
  WriteSetting(StatePath(), StateSection, CurrentPathKey, "/dmmy/r01.html");
  WriteSetting(StatePath(), StateSection, AnswerKey, answer);
}

void BenchGame::SetCurrentPage(const std::string& path) {
  WriteSetting(StatePath(), StateSection, CurrentPathKey, path);
}

void BenchGame::SetBalance(const std::string& member, const std::string& balance) {
  WriteSetting(LedgerFilePath(runDirectory_.str(), group_), LedgerSection(member, group_),
               BalanceKey, balance);
}

std::string BenchGame::StoredAnswer() const {
  return std::string(ReadSetting(StatePath(), StateSection, AnswerKey));
}

std::string NoSite() {
  return testing::UnreachableSiteBase();
}

}  // namespace zorvane::bench
