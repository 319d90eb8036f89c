// One member chatting in one group through the loaded module, shown on the
// terminal: every message, the module's reply and the balance after it.
#pragma once

#include <string>
#include <string_view>

#include "signin_ledger.h"
#include "zorvane_module.h"

namespace host_simulator {

// The message type of a group message, the only one the game answers.
inline constexpr char GroupMessageType[] = "2";

struct Exchange {
  std::string reply;     // GBK; empty for no reply
  double balanceBefore;  // as stored in the sign-in file
  double balanceAfter;
};

class Session {
 public:
  // group and member are GBK.
  Session(ZorvaneModule& module, const SigninLedger& ledger, std::string group, std::string member);

  // Calls info and shows the descriptor; returns it (GBK).
  std::string ShowDescriptor();

  // Sends one group message (GBK) as the member and shows what happens.
  Exchange Send(const std::string& message);

  // Shows the member's stored balance.
  void ShowBalance() const;

 private:
  ZorvaneModule& module_;
  const SigninLedger& ledger_;
  std::string group_;
  std::string member_;
};

// Writes GBK text to the terminal in UTF-8, without carriage returns.
void Say(std::string_view gbk);

}  // namespace host_simulator
