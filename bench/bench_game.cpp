#include "bench_game.h"

#include <filesystem>
#include <fstream>

#include "runtime/gbk_to_utf8.h"
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
    : group_(GroupName(names)),
      module_(ZORVANE_TESTABLE_MODULE_PATH),
      info_(module_.Require<InfoFunction>("info")),
      zorvane_(module_.Require<ZorvaneFunction>("Zorvane")) {
  const std::filesystem::path root = runDirectory_.path();
  std::filesystem::create_directory(root / "Zorva");
  std::filesystem::create_directory(root / "config");
  // The module spells the GBK file name in UTF-8 on Linux.
  const std::string ledgerName = std::string("签到数据") + group_ + ".ini";
  ledgerPath_ = (root / "config" / GbkToUtf8(ledgerName)).string();
  std::string ledger;
  for (int n = 0; n < members; ++n) {
    ledger.append("[").append(Member(n, names)).append("--").append(group_);
    ledger.append("]\r\n总共人民币=").append(balance);
    ledger.append("\r\n签到天数=").append(std::to_string(n % 365)).append("\r\n");
  }
  std::ofstream(ledgerPath_, std::ios::binary) << ledger;
  module_.Require<ConfigureFunction>("ZorvaneConfigureForTesting")(
      runDirectory_.str().c_str(), riddleSiteBase.c_str(),
      (riddleSiteBase + "/update.html").c_str());
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
  return runDirectory_.str() + "/Zorva/" + group_ + ".ini";
}

void BenchGame::OpenRiddle(const std::string& answer) {
  WriteSetting(StatePath(), "开始", "结尾", "/dmmy/r01.html");
  WriteSetting(StatePath(), "开始", "答案", answer);
}

void BenchGame::SetCurrentPage(const std::string& path) {
  WriteSetting(StatePath(), "开始", "结尾", path);
}

void BenchGame::SetBalance(const std::string& member, const std::string& balance) {
  WriteSetting(runDirectory_.str() + "/config/签到数据" + group_ + ".ini", member + "--" + group_,
               "总共人民币", balance);
}

std::string BenchGame::StoredAnswer() const {
  return std::string(ReadSetting(StatePath(), "开始", "答案"));
}

std::string NoSite() {
  return testing::UnreachableSiteBase();
}

}  // namespace zorvane::bench
