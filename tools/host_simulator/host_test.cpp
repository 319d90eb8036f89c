// The host as the simulator plays it: routing the lines a member types, and
// its own commands, which never reach the module.
#include "host.h"

#include <gtest/gtest.h>

#include <sstream>

#include "game/contract.h"
#include "runtime/convert.h"
#include "signin/signin_ledger.h"
#include "signin/signin_replies.h"
#include "support/riddle_site_fixture.h"
#include "support/temp_dir.h"

namespace host_simulator {
namespace {

constexpr std::string_view Word = "Zorva ";

std::string ToModule(std::string_view line) {
  const RoutedLine routed = RouteLine(line, Word);
  const auto* message = std::get_if<ModuleMessage>(&routed);
  return message ? message->text : "(a host command)";
}

TEST(HostRouting, TheCommandWordComesOffOnlyAtTheStartAndExactly) {
  EXPECT_EQ(ToModule("Zorva 开始"), "开始");
  EXPECT_EQ(ToModule("Zorva Zorva 开始"), "Zorva 开始");  // once
  EXPECT_EQ(ToModule("Zorva "), "");
  // Everything else reaches the module unchanged.
  EXPECT_EQ(ToModule("开始"), "开始");
  EXPECT_EQ(ToModule("Zorva开始"), "Zorva开始");
  EXPECT_EQ(ToModule("zorva 开始"), "zorva 开始");
  EXPECT_EQ(ToModule(" Zorva 开始"), " Zorva 开始");
  EXPECT_EQ(ToModule("我说Zorva 开始"), "我说Zorva 开始");
  EXPECT_EQ(ToModule(""), "");
  // A guess after the command word is a guess without it.
  EXPECT_EQ(ToModule("Zorva /help"), "/help");
  // Without a command word nothing comes off.
  const RoutedLine plain = RouteLine("Zorva 开始", "");
  EXPECT_EQ(std::get<ModuleMessage>(plain).text, "Zorva 开始");
}

TEST(HostRouting, SlashLinesAreHostCommandsThatNeverReachTheModule) {
  const RoutedLine give = RouteLine("/give  50\t10002 ", Word);
  ASSERT_TRUE(std::holds_alternative<HostCommand>(give));
  EXPECT_EQ(std::get<HostCommand>(give).name, "give");
  EXPECT_EQ(std::get<HostCommand>(give).arguments, (std::vector<std::string>{"50", "10002"}));

  for (const char* line : {"/help", "/quit", "/", "/ ", "/开始", "/no-such-command x"}) {
    EXPECT_TRUE(std::holds_alternative<HostCommand>(RouteLine(line, Word))) << line;
  }
  EXPECT_EQ(std::get<HostCommand>(RouteLine("/", Word)).name, "");
  EXPECT_EQ(std::get<HostCommand>(RouteLine("/开始", Word)).name, "开始");
}

TEST(HostRouting, OnlyDigitsAreNumbers) {
  EXPECT_TRUE(IsNumber("10001"));
  EXPECT_FALSE(IsNumber(""));
  EXPECT_FALSE(IsNumber("-1"));
  EXPECT_FALSE(IsNumber("1 "));
  EXPECT_FALSE(IsNumber("../1"));
  EXPECT_FALSE(IsNumber("１"));
}

// The test build of the module in a run directory of its own, with no
// riddle site: the host's own commands need none. The run directory's name
// is ASCII: the same for the settings layer.
class HostCommands : public ::testing::Test {
 protected:
  HostCommands()
      : module_(ZORVANE_TESTABLE_MODULE_PATH),
        host_(module_, runDirectory_.str(), "555", "42", out_) {}

  void SetUp() override {
    ASSERT_TRUE(module_.loaded()) << module_.error();
    const std::string site = zorvane::testing::UnreachableSiteBase();
    ASSERT_TRUE(
        module_.ConfigureForTesting(runDirectory_.str().c_str(), site, site + "/update.html"));
    ASSERT_TRUE(host_.SeedMember());
    host_.CallInfo();
  }

  // What the host shows for one typed line.
  std::string Type(std::string_view line) {
    out_.str("");
    EXPECT_TRUE(host_.Handle(line)) << line;
    return out_.str();
  }

  std::optional<std::string> Stored(const char* group, const char* member) const {
    const std::optional<zorvane::Text> text =
        zorvane::ReadMemberBalance(runDirectory_.str(), group, member);
    return text ? std::optional<std::string>(*text) : std::nullopt;
  }

  const zorvane::testing::TempDir runDirectory_;
  zorvane::host::ZorvaneModule module_;
  std::ostringstream out_;
  Host host_;
};

TEST_F(HostCommands, SlashCommandsNeverReachTheModule) {
  EXPECT_NE(Type("/help").find("/give N [MEMBER]"), std::string::npos);
  EXPECT_NE(Type("/nonsense 1").find("unknown command /nonsense"), std::string::npos);
  EXPECT_NE(Type("/").find("unknown command /;"), std::string::npos);
  EXPECT_FALSE(host_.lastExchange());
  // Not one of them cost the member anything.
  EXPECT_EQ(Stored("555", "42"), StartingBalance);
  EXPECT_FALSE(host_.Handle("/quit"));
}

TEST_F(HostCommands, TheCommandWordComesOffBeforeTheModuleSeesTheMessage) {
  Type("Zorva 开始");
  ASSERT_TRUE(host_.lastExchange());
  EXPECT_EQ(host_.lastExchange()->message, zorvane::StartWord);
  // A start command does not pay or cost; without a site it gets no reply.
  EXPECT_EQ(host_.lastExchange()->reply, "");
  EXPECT_EQ(Stored("555", "42"), StartingBalance);

  Type("Zorva  x");
  EXPECT_EQ(host_.lastExchange()->message, " x");
}

TEST_F(HostCommands, GiveWritesTheLedgerOfTheNamedOrCurrentMember) {
  EXPECT_NE(Type("/give 50").find("paid 50 to 42, who now has 150"), std::string::npos);
  EXPECT_NE(Type("/give 7.5 43").find("who now has 7.5"), std::string::npos);
  EXPECT_EQ(Stored("555", "43"), "7.5");
  // Bad amounts and members change nothing.
  for (const char* line :
       {"/give", "/give x", "/give 5 ../43", "/give 5 43 44", "/give 1e", "/give 5x"}) {
    EXPECT_NE(Type(line).find("usage: /give"), std::string::npos) << line;
  }
  // Nor do amounts that would take a balance beyond the largest number.
  const std::string nines(309, '9');
  EXPECT_NE(Type("/give " + nines).find("cannot pay 999"), std::string::npos);
  ASSERT_NE(Type("/give " + nines.substr(1) + " 43").find("paid"), std::string::npos);
  EXPECT_NE(Type("/give " + nines.substr(1) + " 43").find("cannot pay"), std::string::npos);
  EXPECT_EQ(Stored("555", "42"), "150");
  EXPECT_EQ(Stored("555", "43"), "1e+308");
}

TEST_F(HostCommands, BalancesListTheGroupHighestFirst) {
  Type("/give 25 7");
  Type("/give 500 8");
  EXPECT_EQ(Type("/balances"),
            "  balances in group 555:\n"
            "    8: 500\n"
            "    42: 100  (you)\n"
            "    7: 25\n");
  Type("/group 556");
  EXPECT_EQ(Type("/balances"), "  balances in group 556:\n    42: 100  (you)\n");
}

TEST_F(HostCommands, MemberAndGroupSwitchOnlyToNumbers) {
  Type("/member 43");
  EXPECT_EQ(host_.member(), "43");
  EXPECT_EQ(Stored("555", "43"), StartingBalance);  // a new member is paid in
  Type("/group 556");
  EXPECT_EQ(host_.group(), "556");
  EXPECT_EQ(Stored("556", "43"), StartingBalance);
  for (const char* line : {"/member", "/member ..", "/member 1 2", "/group -1", "/group"}) {
    EXPECT_NE(Type(line).find("usage: /"), std::string::npos) << line;
  }
  EXPECT_EQ(host_.member(), "43");
  EXPECT_EQ(host_.group(), "556");
}

TEST_F(HostCommands, RiddleTellsWhereTheGroupStands) {
  EXPECT_NE(Type("/riddle").find("group 555 has no game yet"), std::string::npos);
  // A start command opens the first page even when the site cannot be
  // reached; the answer stays empty, so no riddle is open.
  Type("开始");
  EXPECT_NE(Type("/riddle").find("is at page " + std::string(zorvane::InitialRiddlePath) +
                                 "; no riddle is open"),
            std::string::npos);
}

// Both test builds in one run directory: every message goes to both
// modules, each without its own command word.
TEST(HostWithSignin, EveryMessageGoesToBothModulesWithoutTheirWords) {
  const zorvane::testing::TempDir runDirectory;
  zorvane::host::ZorvaneModule game(ZORVANE_TESTABLE_MODULE_PATH);
  zorvane::host::ZorvaneModule signin(ZORVANE_SIGNIN_TESTABLE_MODULE_PATH,
                                      zorvane::host::SigninEventExport);
  ASSERT_TRUE(game.loaded() && signin.loaded()) << game.error() << signin.error();
  const std::string site = zorvane::testing::UnreachableSiteBase();
  for (zorvane::host::ZorvaneModule* module : {&game, &signin}) {
    ASSERT_TRUE(module->ConfigureForTesting(runDirectory.str().c_str(), site, site));
  }
  std::ostringstream out;
  Host host(game, runDirectory.str(), "555", "42", out, &signin);
  host.CallInfo();
  EXPECT_EQ(host.signinCommandWord(), zorvane::SigninWord);

  ASSERT_TRUE(host.Handle("签到"));
  EXPECT_EQ(host.lastExchange()->reply, "");
  EXPECT_TRUE(host.lastExchange()->signinReply.starts_with("\xC7\xA9\xB5\xBD"))  // 签到, GBK
      << out.str();
  EXPECT_NE(out.str().find("reply of the sign-in module:\n    签到成功~！"), std::string::npos);
  const double paid = host.lastExchange()->balanceAfter;
  EXPECT_GE(paid, 40);

  // The game's word comes off for the game only; the sign-in module sees
  // the whole message and stays silent.
  out.str("");
  ASSERT_TRUE(host.Handle("Zorva 签到"));
  EXPECT_EQ(host.lastExchange()->message, zorvane::SigninWord);
  EXPECT_EQ(host.lastExchange()->reply, "");
  EXPECT_EQ(host.lastExchange()->signinReply, "");
  EXPECT_NE(out.str().find("(no reply)"), std::string::npos);

  ASSERT_TRUE(host.Handle("签到 余额"));
  EXPECT_EQ(host.lastExchange()->signinReply,
            std::string(zorvane::BalanceReply(zorvane::ToText(paid))));
  out.str("");
  ASSERT_TRUE(host.Handle("/help"));
  EXPECT_NE(out.str().find("sign-in module too (its word: \"签到\")"), std::string::npos);
}

}  // namespace
}  // namespace host_simulator
