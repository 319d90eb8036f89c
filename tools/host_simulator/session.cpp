#include "session.h"

#include <iostream>
#include <utility>

#include "runtime/gbk_to_utf8.h"

namespace host_simulator {
namespace {

// Every line of a GBK text, indented, in UTF-8.
void SayIndented(std::string_view gbk) {
  std::string text = zorvane::GbkToUtf8(gbk);
  std::erase(text, '\r');
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    std::cout << "    " << text.substr(start, end == text.npos ? text.npos : end - start) << "\n";
    if (end == text.npos) {
      break;
    }
    start = end + 1;
  }
}

}  // namespace

void Say(std::string_view gbk) {
  std::string text = zorvane::GbkToUtf8(gbk);
  std::erase(text, '\r');
  std::cout << text;
}

Session::Session(ZorvaneModule& module, const SigninLedger& ledger, std::string group,
                 std::string member)
    : module_(module), ledger_(ledger), group_(std::move(group)), member_(std::move(member)) {}

std::string Session::ShowDescriptor() {
  const std::string descriptor = module_.Info();
  std::cout << "descriptor:\n";
  SayIndented(descriptor);
  return descriptor;
}

Exchange Session::Send(const std::string& message) {
  Exchange exchange;
  exchange.balanceBefore = ledger_.Balance();
  exchange.reply = module_.Event(message, GroupMessageType, group_, member_, "");
  exchange.balanceAfter = ledger_.Balance();
  if (exchange.reply.empty()) {
    std::cout << "  (no reply)\n";
  } else {
    std::cout << "  reply:\n";
    SayIndented(exchange.reply);
  }
  ShowBalance();
  return exchange;
}

void Session::ShowBalance() const {
  const std::optional<std::string> balance = ledger_.BalanceText();
  std::cout << "  balance: " << (balance ? zorvane::GbkToUtf8(*balance) : "(none)") << std::endl;
}

}  // namespace host_simulator
