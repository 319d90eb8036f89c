#include "scenario_player.h"

#include "game/contract.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game_session.h"
#include "runtime/settings/settings.h"
#include "support/temp_dir.h"

namespace zorvane::testing {
namespace {

// A file with a plain ASCII name, so that its path means the same to the
// settings layer whatever it does with GBK names.
std::filesystem::path ScratchSettingsFile(const TempDir& scratch, const std::string& bytes) {
  const std::filesystem::path file = scratch.path() / "settings.ini";
  if (!bytes.empty()) {
    WriteFileBytes(file, bytes);
  }
  return file;
}

double StoredNumber(const std::string& text) {
  return text.empty() ? 0 : std::stod(text);
}

}  // namespace

std::string ReadSettingFromBytes(const std::string& bytes, TextView section, TextView key) {
  const TempDir scratch;
  return std::string(ReadSetting(ScratchSettingsFile(scratch, bytes).string(), section, key));
}

std::string WriteSettingToBytes(const std::string& bytes, TextView section, TextView key,
                                TextView value) {
  const TempDir scratch;
  const std::filesystem::path file = ScratchSettingsFile(scratch, bytes);
  EXPECT_TRUE(WriteSetting(file.string(), section, key, value));
  return ReadFileBytes(file);
}

ScenarioPlayer::ScenarioPlayer(ScenarioBackend& backend, RiddleSite& site)
    : backend_(backend), site_(site) {}

std::string ScenarioPlayer::Info() {
  std::string descriptor = backend_.Info();
  EXPECT_EQ(TakeRequests(), std::vector<std::string>{"/update.html"});
  return descriptor;
}

std::string ScenarioPlayer::Say(const std::string& group, const std::string& member,
                                const std::string& message) {
  return backend_.Event(message.c_str(), std::string(GroupMessageType).c_str(), group.c_str(),
                        member.c_str(), "");
}

ScenarioPlayer::Replies ScenarioPlayer::SayToBoth(const std::string& group,
                                                  const std::string& member,
                                                  const std::string& message) {
  Replies replies;
  replies.game = Say(group, member, message);
  replies.signin = backend_.SigninEvent(message.c_str(), std::string(GroupMessageType).c_str(),
                                        group.c_str(), member.c_str(), "");
  return replies;
}

std::int32_t ScenarioPlayer::ExpectWrongGuess(const std::string& group, const std::string& member,
                                              const std::string& message) {
  const double before = StoredNumber(Balance(group, member));
  const std::int32_t penalty = ExpectWrongGuessReply(Say(group, member, message));
  EXPECT_EQ(Balance(group, member), BalanceText(before - penalty)) << group << "/" << member;
  return penalty;
}

std::int32_t ScenarioPlayer::ExpectCorrectGuess(const std::string& group, const std::string& member,
                                                const std::string& message,
                                                const std::string& nextQuestion) {
  const double before = StoredNumber(Balance(group, member));
  const std::int32_t reward = ExpectCorrectGuessReply(Say(group, member, message), nextQuestion);
  EXPECT_EQ(Balance(group, member), BalanceText(before + reward)) << group << "/" << member;
  return reward;
}

// The files as the module names them below its folder, "." standing for it.
std::filesystem::path ScenarioPlayer::LedgerFile(const std::string& group) const {
  return backend_.LocalPath(std::string(LedgerFilePath(".", group)));
}

std::filesystem::path ScenarioPlayer::StateFile(const std::string& group) const {
  return backend_.LocalPath(std::string(StateFilePath(".", group)));
}

void ScenarioPlayer::SetBalance(const std::string& group, const std::string& member,
                                const std::string& text) {
  const std::filesystem::path file = LedgerFile(group);
  std::filesystem::create_directories(file.parent_path());
  WriteFileBytes(file, WriteSettingToBytes(ReadFileBytes(file), LedgerSection(member, group),
                                           BalanceKey, text));
}

std::string ScenarioPlayer::Balance(const std::string& group, const std::string& member) const {
  return ReadSettingFromBytes(ReadFileBytes(LedgerFile(group)), LedgerSection(member, group),
                              BalanceKey);
}

std::string ScenarioPlayer::State(const std::string& group, TextView key) const {
  return ReadSettingFromBytes(ReadFileBytes(StateFile(group)), StateSection, key);
}

std::string ScenarioPlayer::Snapshot() const {
  return FolderSnapshot(backend_.LocalPath(""));
}

std::vector<std::string> ScenarioPlayer::TakeRequests() {
  std::vector<std::string> requests = site_.RequestedTargets();
  site_.ClearRequests();
  return requests;
}

void ScenarioPlayer::SiteDown() {
  if (!backend_.HasTestingSeam()) {
    site_.Close();
    return;
  }
  const std::string nowhere = UnreachableSiteBase();
  backend_.PointAt(nowhere, nowhere + "/update.html");
}

void ScenarioPlayer::SiteUp() {
  if (!backend_.HasTestingSeam()) {
    site_.Reopen();
    return;
  }
  backend_.PointAt(site_.base(), site_.base() + "/update.html");
}

}  // namespace zorvane::testing
