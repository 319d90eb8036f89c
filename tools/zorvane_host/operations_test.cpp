// The host's operations with the test build of the module, pointed at a
// riddle site and a run folder of the test's own: what reaches the module
// and the ledger once UTF-8 has become GBK, and what failures answer.
#include "operations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/contract.h"
#include "game/ledger.h"
#include "runtime/gbk_utf8.h"
#include "runtime/native_path.h"
#include "signin/signin_ledger.h"
#include "support/riddle_site_fixture.h"
#include "support/temp_dir.h"

namespace zorvane_host {
namespace {

std::string Gbk(std::string_view utf8) {
  return *zorvane::Utf8ToGbk(utf8);
}

class HostOperationsTest : public ::testing::Test {
 protected:
  HostOperationsTest() {
    EXPECT_TRUE(module_.loaded()) << module_.error();
    module_.ConfigureForTesting(folder_.str().c_str(), site_.base(), site_.base() + "/update.html");
    setup_.folder = folder_.str();
    setup_.descriptor = module_.Info();
    setup_.siteBase = site_.base();
    operations_ = HostOperations(module_, setup_);
  }

  // The answer to a request, as a JSON object.
  Json Ask(const std::string& line) {
    const std::optional<std::string> answer = AnswerLine(line, operations_);
    EXPECT_TRUE(answer) << line;
    return Json::parse(answer.value_or("{}"));
  }

  Json Event(const std::string& message) {
    return Ask(Json{
        {"id", 1},
        {"op", "event"},
        {"message", message},
        {"type", "2"},
        {"group", "555"},
        {"member",
         "42"}}.dump());
  }

  zorvane::testing::TempDir folder_;
  zorvane::testing::RiddleSite site_;
  zorvane::host::ZorvaneModule module_{ZORVANE_TESTABLE_MODULE_PATH};
  HostSetup setup_;
  Operations operations_;
};

TEST_F(HostOperationsTest, CharactersThatGbkLacksReachTheModuleAsQuestionMarks) {
  // A riddle whose answer is "?": a guess with an emoji in it holds it once
  // converted.
  site_.SetRiddle(std::string(zorvane::InitialRiddlePath), {Gbk("问号谜"), "?", "/dmmy/2.html"});
  site_.SetRiddle("/dmmy/2.html", {Gbk("第二个谜"), Gbk("蛇"), "/dmmy/3.html"});
  ASSERT_TRUE(zorvane::WriteMemberBalance(folder_.str(), "555", "42", "100"));
  EXPECT_EQ(Event("开始")["reply"], "问号谜");
  const std::string reply = Event("猜😀")["reply"];
  EXPECT_TRUE(reply.starts_with("恭喜猜对 了~！ 本次收获：") &&
              reply.ends_with("元。。\r\n第二个谜"))
      << reply;
  // A message that is no UTF-8 never arrives: the line is refused whole.
  EXPECT_EQ(Ask("{\"id\":2,\"op\":\"event\",\"message\":\"\xB2\xE2\",\"type\":\"2\","
                "\"group\":\"555\",\"member\":\"42\"}")["error"],
            "the line is not JSON");
}

TEST_F(HostOperationsTest, TheStandingsShowTheNamesGivenAndBalancesAsNumbers) {
  ASSERT_TRUE(zorvane::WriteMemberBalance(folder_.str(), "555", "42", "12.5"));
  ASSERT_TRUE(zorvane::WriteMemberBalance(folder_.str(), "555", "43", "47"));
  const Json top = Ask(R"({"id":3,"op":"top","group":"555","names":{"42":"小明🎉"}})");
  EXPECT_EQ(top["reply"], "本群人民币排行：\r\n1. 43：47元\r\n2. 小明?：12.5元");
  EXPECT_EQ(top["members"].dump(),
            R"([{"member":"43","balance":47},{"member":"42","balance":12.5}])");
  EXPECT_EQ(Ask(R"({"id":4,"op":"top","group":"555","names":["42"]})")["error"],
            "names is not an object");
  EXPECT_EQ(Ask(R"({"id":5,"op":"balance","group":"555","member":"44"})")["reply"],
            "你当前有：0元~！");
}

TEST_F(HostOperationsTest, ALedgerThatCannotBeWrittenIsSaidSo) {
  std::ofstream(zorvane::NativePath(zorvane::LedgerFolderPath(folder_.str())))
      << "a file where the ledgers' folder belongs";
  const Json signin = Ask(R"({"id":6,"op":"signin","group":"555","member":"42"})");
  EXPECT_EQ(signin["outcome"], "not-written");
  EXPECT_EQ(signin["amount"], 0);
  const Json give = Ask(R"({"id":7,"op":"give","group":"555","member":"42","amount":5})");
  EXPECT_EQ(give["ok"], false);
  EXPECT_EQ(give["error"], "the ledger of group 555 cannot be written");
}

}  // namespace
}  // namespace zorvane_host
