// The release kit as a new operator uses it: the two DLLs of the unpacked
// kit beside a Windows host under Wine, and the kit's own riddle site on the
// address built into them. scripts/test-kit.sh runs it: it unpacks the kit
// (ZORVANE_KIT_DIR), starts the kit's site and names the 32-bit build whose
// test host stands in for the operator's (ZORVANE_WIN32_BUILD).
#include <gtest/gtest.h>

#include "game/contract.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game/replies.h"
#include "game_session.h"
#include "runtime/gbk_utf8.h"
#include "scenario_backend.h"
#include "scenario_player.h"
#include "signin/signin_replies.h"
#include "support/fake_program.h"

namespace zorvane::testing {
namespace {

TEST(Kit, AMemberOfANewOperatorsHostSignsInStartsARiddleAndWins) {
  const std::optional<std::filesystem::path> kit = WindowsBuildFromEnvironment("ZORVANE_KIT_DIR");
  if (!kit) {
    GTEST_SKIP() << "ZORVANE_KIT_DIR names no unpacked kit";
  }
  const std::optional<std::filesystem::path> build =
      WindowsBuildFromEnvironment("ZORVANE_WIN32_BUILD");
  ASSERT_TRUE(build) << "ZORVANE_WIN32_BUILD names no build with the Windows test host";
  ScopedEnvironmentVariable noDisplay("DISPLAY", std::nullopt);
  const std::unique_ptr<ScenarioBackend> host = MakeWineBackend(*build, "win32", true, *kit);
  host->Start({});
  ASSERT_EQ(host->Info().rfind("Zorvane\r\n", 0), 0u);
  host->LoadSignin();
  ASSERT_EQ(host->SigninInfo().rfind("ZorvaneSignin\r\n", 0), 0u);

  // Every message goes to both modules, as a host without command-word
  // routing hands them out; each answers its own.
  const std::string group = "10001";
  const std::string member = "20002";
  const auto say = [&](const std::string& message) {
    const std::string type(GroupMessageType);
    return std::make_pair(
        host->Event(message.c_str(), type.c_str(), group.c_str(), member.c_str(), ""),
        host->SigninEvent(message.c_str(), type.c_str(), group.c_str(), member.c_str(), ""));
  };
  const auto balance = [&] {
    return ReadSettingFromBytes(
        ReadFileBytes(host->LocalPath(std::string(LedgerFilePath(".", group)))),
        LedgerSection(member, group), BalanceKey);
  };

  const auto [notGame, signedIn] = say(std::string(SigninWord));
  EXPECT_EQ(notGame, "");
  const std::optional<std::int32_t> paid = AmountInReply(signedIn, SigninPaidReplyHead);
  ASSERT_TRUE(paid) << signedIn;
  EXPECT_EQ(balance(), BalanceText(*paid));

  const auto [question, notSignin] = say(std::string(StartWord));
  EXPECT_EQ(notSignin, "");
  ASSERT_FALSE(question.empty()) << "no riddle: is the kit's site serving the DLL's address?";
  // One of the kit's riddles, "question（kind）", whose answer the group's
  // state file now holds.
  const std::string answer =
      ReadSettingFromBytes(ReadFileBytes(host->LocalPath(std::string(StateFilePath(".", group)))),
                           StateSection, AnswerKey);
  ASSERT_FALSE(answer.empty());
  const std::string riddleLine = question.substr(0, question.rfind("（")) + "\t" + answer + "\t";
  EXPECT_NE(ReadFileBytes(*kit / "riddles.tsv").find(GbkToUtf8Lenient(riddleLine)),
            std::string::npos)
      << GbkToUtf8Lenient(question);

  const std::string wrong = "不知道呀";
  ASSERT_EQ(wrong.find(answer), std::string::npos);
  const std::int32_t penalty = ExpectWrongGuessReply(say(wrong).first);
  const std::string won = say("是" + answer + "吧").first;
  const std::optional<std::int32_t> reward = AmountInReply(won, CorrectGuessReplyHead);
  ASSERT_TRUE(reward) << GbkToUtf8Lenient(won);
  EXPECT_GT(won.size(), std::string(CorrectGuessReply(*reward, "")).size()) << "no next riddle";
  EXPECT_EQ(balance(), BalanceText(*paid - penalty + *reward));
}

}  // namespace
}  // namespace zorvane::testing
