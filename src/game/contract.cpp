// Compiled, as the whole module is, with GBK literals: these are the bytes
// that every program around the module meets.
#include "game/contract.h"

namespace zorvane {
namespace {

// The texts that others are made of; each is checked against them below.
constexpr TextView HeadingStart = "<h3>";
constexpr TextView AnswerHeadingLabel = "谜底：";
constexpr TextView FullAnswerStart = "<h3>谜底：";
constexpr TextView PathPrefix = "/dmmy/";
constexpr TextView PathSuffix = ".html";
constexpr TextView FirstPath = "/dmmy/19499.html";

constexpr bool IsIdPath(TextView path, std::int32_t id) {
  if (!path.starts_with(PathPrefix) || !path.ends_with(PathSuffix)) {
    return false;
  }
  TextView digits = path.substr(PathPrefix.size());
  digits.remove_suffix(PathSuffix.size());
  std::int64_t read = 0;
  for (const char digit : digits) {
    read = read * 10 + (digit - '0');
  }
  return !digits.empty() && read == id;
}

static_assert(FullAnswerStart.size() == HeadingStart.size() + AnswerHeadingLabel.size() &&
              FullAnswerStart.starts_with(HeadingStart) &&
              FullAnswerStart.ends_with(AnswerHeadingLabel));
static_assert(IsIdPath(FirstPath, FirstRiddleId));

}  // namespace

const TextView GroupMessageType = "2";
const TextView StartWord = "开始";

const TextView SigninWord = "签到";
const TextView BalanceWord = "余额";
const TextView StandingsWord = "排行";

const TextView QuestionStart = HeadingStart;
const TextView QuestionEnd = "</h3>";
const TextView AnswerStart = FullAnswerStart;
const TextView AnswerLabel = AnswerHeadingLabel;
const TextView AnswerEnd = "</h3>";
const TextView NextPathStart = "下一篇：<a href='";
const TextView NextPathEnd = "'>";

const TextView RiddlePathPrefix = PathPrefix;
const TextView RiddlePathSuffix = PathSuffix;
const TextView InitialRiddlePath = FirstPath;

const TextView UpdateLinkStart = "[更新连接：]";
const TextView UpdateLinkEnd = "。";

const TextView GameFolderName = "Zorva";
const TextView StateFileExtension = ".ini";
const TextView StateSection = "开始";
const TextView CurrentPathKey = "结尾";
const TextView AnswerKey = "答案";
const TextView SolvedPathKey = "已猜中";

const TextView LedgerFolderName = "config";
const TextView LedgerFileStem = "签到数据";
const TextView LedgerFileExtension = ".ini";
const TextView LedgerSectionJoint = "--";
const TextView BalanceKey = "总共人民币";

const TextView RefusedReplyHead =
    "对不起，你当前没有更多人民币参加游戏~！\r\n多参加群内活动~！\r\n你当前有：";
const TextView RefusedReplyTail = "元~！";
const TextView CorrectGuessReplyHead = "恭喜猜对 了~！ 本次收获：";
const TextView CorrectGuessReplyMiddle = "元。。\r\n";
const TextView WrongGuessReplyHead = "不好意思答错了~！再接再厉。。~！\r\n本次扣除：";
const TextView WrongGuessReplyTail = "元";

}  // namespace zorvane
