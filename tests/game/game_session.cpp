#include "game_session.h"

#include <cstdio>
#include <map>

#include "game/contract.h"
#include "game/game_rules.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game/replies.h"
#include "runtime/native_path.h"
#include "runtime/settings/settings.h"

namespace zorvane::testing {

std::optional<std::int32_t> AmountInReply(const std::string& reply, TextView head) {
  if (!TextView(reply).starts_with(head)) {
    return std::nullopt;
  }
  std::size_t end = head.size();
  while (end < reply.size() && reply[end] >= '0' && reply[end] <= '9') {
    ++end;
  }
  if (end == head.size() || end - head.size() > 3) {
    return std::nullopt;
  }
  return std::stoi(reply.substr(head.size(), end - head.size()));
}

std::int32_t ExpectCorrectGuessReply(const std::string& reply, const std::string& nextQuestion) {
  const std::optional<std::int32_t> reward = AmountInReply(reply, CorrectGuessReplyHead);
  EXPECT_TRUE(reward.has_value()) << reply;
  if (!reward) {
    return 0;
  }
  EXPECT_GE(*reward, RewardRange.low);
  EXPECT_LE(*reward, RewardRange.high);
  EXPECT_EQ(reply, std::string(CorrectGuessReply(*reward, nextQuestion)));
  return *reward;
}

std::int32_t ExpectWrongGuessReply(const std::string& reply) {
  const std::optional<std::int32_t> penalty = AmountInReply(reply, WrongGuessReplyHead);
  EXPECT_TRUE(penalty.has_value()) << reply;
  if (!penalty) {
    return 0;
  }
  EXPECT_GE(*penalty, PenaltyRange.low);
  EXPECT_LE(*penalty, PenaltyRange.high);
  EXPECT_EQ(reply, std::string(WrongGuessReply(*penalty)));
  return *penalty;
}

std::string RefusalShowing(const std::string& balanceText) {
  return std::string(RefusedReply(balanceText));
}

std::string BalanceText(double balance) {
  char text[64];
  std::snprintf(text, sizeof text, "%.13g", balance);
  return text;
}

GameTest::GameTest() {
  std::filesystem::create_directory(NativePath(GameFolderPath(runDir_.str())));
  std::filesystem::create_directory(NativePath(LedgerFolderPath(runDir_.str())));
  module_.ConfigureForTesting(runDir_.str().c_str(), site_.base(), site_.base() + "/update.html");
}

std::string GameTest::Say(const std::string& group, const std::string& member,
                          const std::string& message) {
  return module_.Event(message.c_str(), std::string(GroupMessageType).c_str(), group.c_str(),
                       member.c_str(), "");
}

std::filesystem::path GameTest::LedgerFile(const std::string& group) const {
  return NativePath(LedgerFilePath(runDir_.str(), group));
}

std::filesystem::path GameTest::StateFile(const std::string& group) const {
  return NativePath(StateFilePath(runDir_.str(), group));
}

void GameTest::SetBalance(const std::string& group, const std::string& member,
                          const std::string& text) {
  WriteSetting(LedgerFilePath(runDir_.str(), group), LedgerSection(member, group), BalanceKey,
               text);
}

std::string GameTest::Balance(const std::string& group, const std::string& member) const {
  return std::string(
      ReadSetting(LedgerFilePath(runDir_.str(), group), LedgerSection(member, group), BalanceKey));
}

std::string GameTest::State(const std::string& group, TextView key) const {
  return std::string(ReadSetting(StateFilePath(runDir_.str(), group), StateSection, key));
}

void GameTest::SetState(const std::string& group, TextView key, const std::string& value) {
  WriteSetting(StateFilePath(runDir_.str(), group), StateSection, key, value);
}

std::string FolderSnapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::filesystem::path extension = entry.path().extension();
    if (extension == ".exe" || extension == ".dll") {
      continue;
    }
    files[entry.path().string()] = entry.is_regular_file() ? ReadFileBytes(entry.path()) : "<dir>";
  }
  std::string snapshot;
  for (const auto& [path, bytes] : files) {
    snapshot += path + "\n" + bytes + "\n";
  }
  return snapshot;
}

std::string GameTest::Snapshot() const {
  return FolderSnapshot(runDir_.path());
}

std::vector<std::string> GameTest::TakeRequests() {
  std::vector<std::string> requests = site_.RequestedTargets();
  site_.ClearRequests();
  return requests;
}

}  // namespace zorvane::testing
