// The pure pieces of the game: identifiers, start commands, the threshold,
// page cuts, stored pieces and the reply bytes.
#include <gtest/gtest.h>

#include <string>

#include "game/contract.h"
#include "game/game_rules.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game/replies.h"
#include "game/riddle_page.h"
#include "game/safe_identifier.h"
#include "support/hex.h"

namespace zorvane {
namespace {

using testing::Hex;

TEST(SafeIdentifier, AcceptsNumbersAndNamesThatMakeHarmlessFileNames) {
  EXPECT_TRUE(IsSafeIdentifier("123456789"));
  EXPECT_TRUE(IsSafeIdentifier("群友"));
  EXPECT_TRUE(IsSafeIdentifier("a.b"));
  EXPECT_TRUE(IsSafeIdentifier("..."));
  EXPECT_TRUE(IsSafeIdentifier("a b-c_d"));
}

TEST(SafeIdentifier, RefusesWhatCouldLeaveTheFolderOrBreakASettingsFile) {
  EXPECT_FALSE(IsSafeIdentifier(""));
  EXPECT_FALSE(IsSafeIdentifier("."));
  EXPECT_FALSE(IsSafeIdentifier(".."));
  EXPECT_FALSE(IsSafeIdentifier("12\t3"));
  EXPECT_FALSE(IsSafeIdentifier("12\r\n[x]"));
  EXPECT_FALSE(IsSafeIdentifier(std::string("\x1f", 1)));
  for (const char unsafe : std::string("\\/:*?\"<>|[]=")) {
    EXPECT_FALSE(IsSafeIdentifier(std::string("12") + unsafe + "34")) << unsafe;
  }
  // A double-byte character whose second byte is a backslash.
  EXPECT_FALSE(IsSafeIdentifier("\x95\x5c"));
}

TEST(StartCommand, ContainsTheStartWordInAtMostSixBytes) {
  EXPECT_TRUE(IsStartCommand("开始"));
  EXPECT_TRUE(IsStartCommand("开始吧"));
  EXPECT_TRUE(IsStartCommand("ok开始"));
  EXPECT_TRUE(IsStartCommand("开始!!"));
  EXPECT_FALSE(IsStartCommand("开始abc"));
  EXPECT_FALSE(IsStartCommand("Zorva 开始"));
  EXPECT_FALSE(IsStartCommand("开 始"));
  EXPECT_FALSE(IsStartCommand(""));
  // The bytes of "开始" straddling two other characters are not the word.
  EXPECT_FALSE(IsStartCommand("\xd0\xbf\xaa\xca\xbc\xd0"));
}

TEST(MessageType, OnlyExactlyTwoIsAGroupMessage) {
  EXPECT_TRUE(IsGroupMessage("2"));
  EXPECT_FALSE(IsGroupMessage("02"));
  EXPECT_FALSE(IsGroupMessage("2 "));
  EXPECT_FALSE(IsGroupMessage(""));
  EXPECT_FALSE(IsGroupMessage("1"));
}

TEST(PlayThreshold, MoreThanTwentyByMoreThanTheMarginPlays) {
  EXPECT_FALSE(IsAbovePlayThreshold(0.0));
  EXPECT_FALSE(IsAbovePlayThreshold(20.0));
  EXPECT_FALSE(IsAbovePlayThreshold(20.00000005));
  EXPECT_TRUE(IsAbovePlayThreshold(20.0000002));
  EXPECT_TRUE(IsAbovePlayThreshold(20.5));
}

TEST(RiddlePageCuts, TakeQuestionAnswerAndNextPathByTheirMarkers) {
  const std::string page =
      "<p>x</p><h3>什么越洗越脏？</h3><h3>谜底：水</h3>"
      "<a>上一篇：<a href='/dmmy/1.html'>a</a> 下一篇：<a href='/dmmy/2.html'>b</a>";
  EXPECT_EQ(std::string(CutQuestion(page)), "什么越洗越脏？");
  EXPECT_EQ(std::string(CutAnswer(page)), "水");
  EXPECT_EQ(std::string(CutNextPath(page)), "/dmmy/2.html");
}

TEST(RiddlePageCuts, FollowTheSitesLayoutLiterally) {
  // The first h3 heading is the question, whichever it is.
  EXPECT_EQ(std::string(CutQuestion("<h3>谜底：水</h3>")), "谜底：水");
  EXPECT_EQ(std::string(CutNextPath("下一篇：<a href=\"/dmmy/2.html\">b</a>")), "");
  EXPECT_EQ(std::string(CutQuestion("<H3>问</H3>")), "");
  EXPECT_EQ(std::string(CutAnswer("<h3>谜底：水")), "");
  EXPECT_EQ(std::string(CutAnswer("")), "");
}

TEST(StoredPieces, LoseTheirLineBreaksAndOnlySiteRelativePathsMoveTheGroup) {
  EXPECT_EQ(std::string(WithoutLineBreaks("\r\n水\r\n")), "水");
  EXPECT_EQ(std::string(WithoutLineBreaks("/dmmy/\n2.html\r")), "/dmmy/2.html");
  EXPECT_EQ(std::string(WithoutLineBreaks("a b\tc")), "a b\tc");
  EXPECT_TRUE(IsSiteRelativePath("/dmmy/2.html"));
  EXPECT_FALSE(IsSiteRelativePath("dmmy/2.html"));
  EXPECT_FALSE(IsSiteRelativePath("@evil.example/x"));
  EXPECT_FALSE(IsSiteRelativePath(""));
}

TEST(Replies, AreTheExactGbkBytes) {
  const std::string refused(RefusedReply("20"));
  EXPECT_EQ(refused,
            "对不起，你当前没有更多人民币参加游戏~！\r\n多参加群内活动~！\r\n你当前有：20元~！");
  // "，" a3ac, ASCII "~", "！" a3a1, and the balance text between "：" and "元".
  EXPECT_EQ(Hex(refused.substr(6, 2)), "a3 ac ");
  EXPECT_EQ(Hex(refused.substr(refused.size() - 9)), "a3 ba 32 30 d4 aa 7e a3 a1 ");
  EXPECT_EQ(std::string(RefusedReply("")), std::string(RefusedReplyHead) + "元~！");

  const std::string correct(CorrectGuessReply(27, "下一题"));
  EXPECT_EQ(correct, "恭喜猜对 了~！ 本次收获：27元。。\r\n下一题");
  // Two single ASCII blanks, and "。。\r\n" after the amount.
  EXPECT_EQ(Hex(correct.substr(0, 16)), "b9 a7 cf b2 b2 c2 b6 d4 20 c1 cb 7e a3 a1 20 b1 ");
  EXPECT_EQ(Hex(correct.substr(25, 8)), "32 37 d4 aa a1 a3 a1 a3 ");
  EXPECT_EQ(std::string(CorrectGuessReply(20, "")), "恭喜猜对 了~！ 本次收获：20元。。\r\n");

  const std::string wrong(WrongGuessReply(5));
  EXPECT_EQ(wrong, "不好意思答错了~！再接再厉。。~！\r\n本次扣除：5元");
  EXPECT_EQ(Hex(wrong.substr(wrong.size() - 5)), "a3 ba 35 d4 aa ");
}

// Names that are no GBK cannot be spelled as Linux file names, and read
// back as other bytes through the Windows API.
TEST(SafeIdentifier, RefusesTextsThatAreNotGbk) {
  EXPECT_FALSE(IsSafeIdentifier("12\xB0"));  // a first byte alone at the end
  EXPECT_FALSE(
      IsSafeIdentifier("\xB0"
                       "12"));  // a first byte before a digit
  EXPECT_FALSE(
      IsSafeIdentifier("1\x80"
                       "2"));  // no first byte at all
  EXPECT_FALSE(IsSafeIdentifier("\xB0\x7F"));
  EXPECT_FALSE(IsSafeIdentifier("\xFF\xA1"));
  EXPECT_TRUE(IsSafeIdentifier("\xB0\xA1\x81\x40"));
}

}  // namespace
}  // namespace zorvane
