// What the game does with an idle group, broken pages and hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/contract.h"
#include "game_session.h"

namespace zorvane::testing {
namespace {

class GameSafety : public GameTest {
 protected:
  GameSafety() : chain_(MakeRiddleChain(std::string(InitialRiddlePath), 3)) {
    site_.SetChain(chain_);
  }

  std::vector<RiddleChainLink> chain_;
};

TEST_F(GameSafety, WithoutAnOpenRiddleOnlyAStartCommandIsAnswered) {
  SetBalance("1001", "rich", "100");
  SetBalance("1001", "poor", "5");
  const std::string snapshot = Snapshot();

  // No state file: no pay, no refusal, no file and no request.
  for (const std::string message : {"你好", "谜底01", "", "开始了没有啊"}) {
    EXPECT_EQ(Say("1001", "rich", message), "") << message;
    EXPECT_EQ(Say("1001", "poor", message), "") << message;
  }
  EXPECT_EQ(Snapshot(), snapshot);
  EXPECT_TRUE(TakeRequests().empty());

  // An empty stored answer closes the riddle just the same.
  SetState("1001", CurrentPathKey, std::string(InitialRiddlePath));
  SetState("1001", AnswerKey, "");
  const std::string closed = Snapshot();
  EXPECT_EQ(Say("1001", "rich", "你好"), "");
  EXPECT_EQ(Say("1001", "poor", "你好"), "");
  EXPECT_EQ(Snapshot(), closed);
  EXPECT_TRUE(TakeRequests().empty());

  // A start command still meets the balance gate, then opens the riddle.
  EXPECT_EQ(Say("1001", "poor", "开始"), RefusalShowing("5"));
  EXPECT_EQ(Balance("1001", "poor"), "5");
  EXPECT_EQ(Say("1001", "rich", "开始"), chain_[0].riddle.question);
  // Now an empty message is a wrong guess.
  EXPECT_NE(Say("1001", "rich", ""), "");
  EXPECT_NE(Balance("1001", "rich"), "100");
}

TEST_F(GameSafety, APageWithoutANextLinkIsSolvedOnce) {
  SetBalance("1001", "7", "50");
  site_.SetPage(std::string(InitialRiddlePath), "<h3>问</h3><h3>谜底：答</h3>没有下一篇");
  ASSERT_EQ(Say("1001", "7", "开始"), "问");
  TakeRequests();

  const std::string reply = Say("1001", "7", "答");
  EXPECT_TRUE(AmountInReply(reply, CorrectGuessReplyHead).has_value()) << reply;
  EXPECT_EQ(TakeRequests(), (std::vector<std::string>{std::string(InitialRiddlePath)}));
  EXPECT_EQ(State("1001", CurrentPathKey), std::string(InitialRiddlePath));
  // Closed until the page links on, also after a start command.
  EXPECT_EQ(Say("1001", "7", "开始"), "");
  EXPECT_EQ(Say("1001", "7", "答"), "");
  site_.SetRiddle(std::string(InitialRiddlePath), {"问", "答", chain_[1].path});
  EXPECT_EQ(Say("1001", "7", "开始"), chain_[1].riddle.question);
}

// Whichever request of the move to the next riddle is dropped, the reward
// stands, the solved riddle pays no more, and a start command carries on.
TEST_F(GameSafety, ASolvedRiddlePaysOnceWhenTheMoveOnFails) {
  for (int skipped = 0; skipped < 3; ++skipped) {
    const std::string group = "100" + std::to_string(skipped);
    SetBalance(group, "7", "500");
    ASSERT_EQ(Say(group, "7", "开始"), chain_[0].riddle.question);
    site_.FailRequestAfter(skipped);
    const std::string reply = Say(group, "7", chain_[0].riddle.answer);
    ASSERT_TRUE(AmountInReply(reply, CorrectGuessReplyHead).has_value()) << reply;
    const double paid = std::stod(Balance(group, "7"));

    EXPECT_FALSE(AmountInReply(Say(group, "7", chain_[0].riddle.answer), CorrectGuessReplyHead))
        << skipped;
    EXPECT_EQ(Say(group, "7", "开始"), chain_[1].riddle.question) << skipped;
    EXPECT_FALSE(AmountInReply(Say(group, "7", chain_[0].riddle.answer), CorrectGuessReplyHead))
        << skipped;
    EXPECT_LE(std::stod(Balance(group, "7")), paid) << skipped;
    ExpectCorrectGuessReply(Say(group, "7", chain_[1].riddle.answer), chain_[2].riddle.question);
    EXPECT_EQ(ReadFileBytes(StateFile(group)).find(SolvedPathKey), std::string::npos) << skipped;
  }
}

TEST_F(GameSafety, ANextPathThatIsNotSiteRelativeIsNeverFollowed) {
  LocalHttpServer elsewhere;
  elsewhere.server().Get(".*", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("<h3>别处</h3><h3>谜底：x</h3>", "text/html");
  });
  elsewhere.Start();

  // Joined to the site address, "@host:port/x" would name another host.
  const std::string hijack = "@127.0.0.1:" + std::to_string(elsewhere.port()) + "/x";
  int group = 1001;
  for (const std::string& next : {hijack, std::string("dmmy/2.html"), std::string("\r\n")}) {
    const std::string name = std::to_string(group++);
    SetBalance(name, "7", "500");
    site_.SetRiddle(std::string(InitialRiddlePath), {"问", "答", next});
    ASSERT_EQ(Say(name, "7", "开始"), "问");
    EXPECT_TRUE(AmountInReply(Say(name, "7", "答"), CorrectGuessReplyHead).has_value());
    EXPECT_EQ(Say(name, "7", "开始"), "");
    EXPECT_EQ(State(name, CurrentPathKey), std::string(InitialRiddlePath)) << next;
  }
  EXPECT_TRUE(elsewhere.requests().empty());
}

// Read as infinity, a balance would be written back as a text that reads as 0.
TEST_F(GameSafety, ABalanceBeyondTheLargestNumberIsLeftAsItIs) {
  SetBalance("1001", "7", "100");
  ASSERT_EQ(Say("1001", "7", "开始"), chain_[0].riddle.question);
  for (const std::string& stored : {std::string(309, '9'), std::string("1e999")}) {
    SetBalance("1001", "7", stored);
    EXPECT_TRUE(AmountInReply(Say("1001", "7", "不对"), WrongGuessReplyHead).has_value());
    EXPECT_EQ(Balance("1001", "7"), stored);
  }
  EXPECT_TRUE(
      AmountInReply(Say("1001", "7", chain_[0].riddle.answer), CorrectGuessReplyHead).has_value());
  EXPECT_EQ(Balance("1001", "7"), "1e999");
}

bool EveryLineIsAHeaderOrAKey(const std::string& file) {
  std::size_t start = 0;
  while (start < file.size()) {
    std::size_t end = file.find('\n', start);
    if (end == std::string::npos) {
      end = file.size();
    }
    std::string line = file.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!line.empty() && line.front() != '[' && line.find('=') == std::string::npos) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

TEST_F(GameSafety, CutPiecesAreStoredWithoutLineBreaks) {
  SetBalance("1001", "7", "50");
  site_.SetPage(std::string(InitialRiddlePath),
                "<h3>问</h3><h3>谜底：\r\n答\r\n[x]\r\n</h3>下一篇：<a href='/dmmy/\r\n2.html'>");
  site_.SetRiddle("/dmmy/2.html", {"问2", "答2\n=3", "/dmmy/3.html"});

  ASSERT_EQ(Say("1001", "7", "开始"), "问");
  EXPECT_EQ(State("1001", AnswerKey), "答[x]");
  EXPECT_TRUE(EveryLineIsAHeaderOrAKey(ReadFileBytes(StateFile("1001"))));

  EXPECT_TRUE(AmountInReply(Say("1001", "7", "答[x]"), CorrectGuessReplyHead).has_value());
  EXPECT_EQ(State("1001", CurrentPathKey), "/dmmy/2.html");
  EXPECT_EQ(State("1001", AnswerKey), "答2=3");
  EXPECT_TRUE(EveryLineIsAHeaderOrAKey(ReadFileBytes(StateFile("1001"))));
}

TEST_F(GameSafety, UnsafeGroupsAndMembersNeverReachAFileOrTheSite) {
  const std::vector<std::string> unsafe = {"",
                                           ".",
                                           "..",
                                           "../1001",
                                           "1001/..",
                                           "a\\b",
                                           "a:b",
                                           "a*b",
                                           "a?b",
                                           "a\"b",
                                           "a<b",
                                           "a>b",
                                           "a|b",
                                           "[a]",
                                           "a=b",
                                           "1\t2",
                                           std::string("1\x01", 2)};
  SetBalance("1001", "7", "100");
  ASSERT_EQ(Say("1001", "7", "开始"), chain_[0].riddle.question);
  TakeRequests();
  for (const std::string& name : unsafe) {
    // Balances that would let them play, where a file can hold them.
    if (name.find_first_of("/\\[]=\n") == std::string::npos && !name.empty()) {
      SetBalance(name, "7", "100");
      SetBalance("1001", name, "100");
    }
  }
  const std::string snapshot = Snapshot();
  for (const std::string& name : unsafe) {
    for (const std::string message : {"开始", "谜底01", "不对"}) {
      EXPECT_EQ(Say(name, "7", message), "") << name;
      EXPECT_EQ(Say("1001", name, message), "") << name;
    }
  }
  EXPECT_EQ(module_.Event("开始", "2", nullptr, "7"), "");
  EXPECT_EQ(module_.Event("开始", "2", "1001", nullptr), "");
  EXPECT_EQ(Snapshot(), snapshot);
  EXPECT_TRUE(TakeRequests().empty());
}

}  // namespace
}  // namespace zorvane::testing
