// The fixed beginnings of the module's replies that show an amount or a
// balance, for tests and test programs that read replies.
#pragma once

#include <string>

namespace zorvane::testing {

inline const std::string CorrectHead = "恭喜猜对 了~！ 本次收获：";
inline const std::string WrongHead = "不好意思答错了~！再接再厉。。~！\r\n本次扣除：";
inline const std::string RefusedHead =
    "对不起，你当前没有更多人民币参加游戏~！\r\n多参加群内活动~！\r\n你当前有：";

}  // namespace zorvane::testing
