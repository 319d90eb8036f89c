// The texts the game answers with. The blanks, "~" and "\r\n" are ASCII;
// "！", "：", "，" and "。" are double-byte marks.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace zorvane {

inline constexpr TextView RefusedReplyHead =
    "对不起，你当前没有更多人民币参加游戏~！\r\n多参加群内活动~！\r\n你当前有：";
inline constexpr TextView RefusedReplyTail = "元~！";
inline constexpr TextView CorrectGuessReplyHead = "恭喜猜对 了~！ 本次收获：";
inline constexpr TextView CorrectGuessReplyMiddle = "元。。\r\n";
inline constexpr TextView WrongGuessReplyHead = "不好意思答错了~！再接再厉。。~！\r\n本次扣除：";
inline constexpr TextView WrongGuessReplyTail = "元";

// Shows the balance text exactly as stored, not reformatted.
Text RefusedReply(TextView storedBalanceText);

// The reward, then the question of the riddle that is now open.
Text CorrectGuessReply(std::int32_t reward, TextView nextQuestion);

Text WrongGuessReply(std::int32_t penalty);

}  // namespace zorvane
