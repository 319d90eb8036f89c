#include "signin/signin_replies.h"

#include <string>

namespace zorvane {
namespace {

constexpr TextView LineEnd = "\r\n";
constexpr TextView BalanceHead = "你当前有：";
constexpr TextView MoneyUnit = "元";

}  // namespace

const TextView SigninPaidReplyHead = "签到成功~！本次获得：";

Text SigninReply(const Signin& signin) {
  switch (signin.outcome) {
    case SigninOutcome::SignedIn:
      return ConcatTexts({SigninPaidReplyHead, std::to_string(signin.amount), MoneyUnit, "。。",
                          LineEnd, BalanceHead, signin.balance, MoneyUnit, "，共签到", signin.count,
                          "次~！"});
    case SigninOutcome::AlreadySignedIn:
      return ConcatTexts({"你今天已经签到过了~！", LineEnd, BalanceReply(signin.balance)});
    case SigninOutcome::NotWritten:
      break;
  }
  return Text("签到没有成功，请稍后再试~！");
}

Text BalanceReply(TextView balance) {
  return ConcatTexts({BalanceHead, balance, MoneyUnit, "~！"});
}

Text StandingsReply(const std::vector<MemberBalance>& members,
                    const std::function<Text(TextView member)>& nameOf) {
  if (members.empty()) {
    return Text("本群还没有人有人民币~！");
  }
  Text reply("本群人民币排行：");
  for (std::size_t rank = 1; rank <= members.size() && rank <= StandingsLength; ++rank) {
    const MemberBalance& member = members[rank - 1];
    reply = ConcatTexts({reply, LineEnd, std::to_string(rank), ". ", nameOf(member.member), "：",
                         member.text, MoneyUnit});
  }
  return reply;
}

}  // namespace zorvane
