#include "host.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "game/contract.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "host/command_word.h"
#include "runtime/convert.h"
#include "runtime/gbk_utf8.h"
#include "runtime/native_path.h"
#include "runtime/settings/settings.h"

namespace host_simulator {
namespace {

constexpr char HelpCommands[] =
    "Commands of the simulator:\n"
    "  /member N          chat as member N (a new member gets the starting balance)\n"
    "  /group N           chat in group N\n"
    "  /give N [MEMBER]   the sign-in module pays N yuan to MEMBER (default: you)\n"
    "  /balances          the group's members and balances, highest first\n"
    "  /riddle            the group's stored page and whether a riddle is open\n"
    "  /help              this list\n"
    "  /quit              leave (Ctrl-D does the same)\n";

// Every line of a GBK text, indented, in UTF-8.
void WriteIndented(std::ostream& out, std::string_view gbk) {
  const std::string text = ForTerminal(gbk);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    out << "    " << text.substr(start, end - start) << "\n";
    start = end + 1;
  }
}

// A whole decimal amount ("50", "-5", "2.5"); nullopt for anything else.
std::optional<double> ParseAmount(const std::string& text) {
  if (text.empty() || text.find_first_not_of("+-.0123456789") != text.npos) {
    return std::nullopt;
  }
  char* end = nullptr;
  const double amount = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) {
    return std::nullopt;
  }
  return amount;
}

}  // namespace

std::string ForTerminal(std::string_view gbk) {
  std::string text = zorvane::GbkToUtf8Lenient(gbk);
  std::erase(text, '\r');
  return text;
}

Host::Host(zorvane::host::ZorvaneModule& module, std::string settingsFolder, std::string group,
           std::string member, std::ostream& out, zorvane::host::ZorvaneModule* signin)
    : module_(module),
      signin_(signin),
      settingsFolder_(std::move(settingsFolder)),
      group_(std::move(group)),
      member_(std::move(member)),
      out_(out) {}

std::string Host::CallInfo() {
  std::string descriptor = module_.Info();
  commandWord_ = zorvane::host::CommandWordOf(descriptor);
  if (signin_ != nullptr) {
    signinCommandWord_ = zorvane::host::CommandWordOf(signin_->Info());
  }
  return descriptor;
}

void Host::ShowDescriptor(std::string_view descriptor) {
  out_ << "descriptor:\n";
  WriteIndented(out_, descriptor);
}

bool Host::Handle(std::string_view utf8Line) {
  const std::optional<std::string> line = zorvane::Utf8ToGbk(utf8Line);
  if (!line) {
    out_ << "  (not sent: the message is not UTF-8 or holds characters that GBK lacks)\n";
    return true;
  }
  const RoutedLine routed = RouteLine(*line, commandWord_);
  if (const auto* command = std::get_if<HostCommand>(&routed)) {
    return Run(*command);
  }
  Send(*line, std::get<ModuleMessage>(routed).text);
  return true;
}

double Host::Balance(const std::string& member) const {
  return zorvane::ToNumber(
      zorvane::ReadMemberBalance(settingsFolder_, group_, member).value_or(zorvane::Text()));
}

std::vector<zorvane::MemberBalance> Host::Members() const {
  return zorvane::LedgerMembers(settingsFolder_, group_);
}

void Host::Send(const std::string& gbkLine, const std::string& gameMessage) {
  const std::string type(zorvane::GroupMessageType);
  Exchange exchange{gameMessage, "", "", Balance(member_), 0.0};
  exchange.reply =
      module_.Event(gameMessage.c_str(), type.c_str(), group_.c_str(), member_.c_str(), "");
  if (signin_ != nullptr) {
    const std::string message(
        zorvane::host::AfterCommandWord(gbkLine, signinCommandWord_).value_or(gbkLine));
    exchange.signinReply =
        signin_->Event(message.c_str(), type.c_str(), group_.c_str(), member_.c_str(), "");
  }
  exchange.balanceAfter = Balance(member_);
  if (exchange.reply.empty() && exchange.signinReply.empty()) {
    out_ << "  (no reply)\n";
  }
  if (!exchange.reply.empty()) {
    out_ << "  reply:\n";
    WriteIndented(out_, exchange.reply);
  }
  if (!exchange.signinReply.empty()) {
    out_ << "  reply of the sign-in module:\n";
    WriteIndented(out_, exchange.signinReply);
  }
  lastExchange_ = std::move(exchange);
  ShowBalance();
}

bool Host::Run(const HostCommand& command) {
  if (command.name == "quit") {
    return false;
  }
  if (command.name == "member") {
    Switch(member_, "member", command.arguments);
  } else if (command.name == "group") {
    Switch(group_, "group", command.arguments);
  } else if (command.name == "give") {
    GiveMoney(command.arguments);
  } else if (command.name == "balances") {
    ShowBalances();
  } else if (command.name == "riddle") {
    ShowRiddle();
  } else if (command.name == "help") {
    ShowHelp();
  } else {
    out_ << "  unknown command /" << command.name << "; /help lists the commands\n";
  }
  return true;
}

void Host::ShowBalance() const {
  const std::optional<zorvane::Text> balance =
      zorvane::ReadMemberBalance(settingsFolder_, group_, member_);
  out_ << "  balance of " << member_ << ": " << (balance ? ForTerminal(*balance) : "(none)")
       << std::endl;
}

std::string Host::LedgerShown() const {
  return zorvane::NativePath(zorvane::LedgerFilePath(settingsFolder_, group_));
}

bool Host::SeedMember() const {
  if (zorvane::ReadMemberBalance(settingsFolder_, group_, member_) ||
      zorvane::WriteMemberBalance(settingsFolder_, group_, member_, StartingBalance)) {
    return true;
  }
  out_ << "  cannot write the sign-in file " << LedgerShown() << "\n";
  return false;
}

void Host::Switch(std::string& current, const char* command,
                  const std::vector<std::string>& arguments) {
  if (arguments.size() != 1 || !IsNumber(arguments[0])) {
    out_ << "  usage: /" << command << " N (a number)\n";
    return;
  }
  current = arguments[0];
  out_ << "  now member " << member_ << " in group " << group_ << "\n";
  if (SeedMember()) {
    ShowBalance();
  }
}

void Host::GiveMoney(const std::vector<std::string>& arguments) {
  const std::optional<double> amount = arguments.empty() ? std::nullopt : ParseAmount(arguments[0]);
  if (!amount || arguments.size() > 2 || (arguments.size() == 2 && !IsNumber(arguments[1]))) {
    out_ << "  usage: /give N [MEMBER] (N an amount, MEMBER a number)\n";
    return;
  }
  const std::string member = arguments.size() == 2 ? arguments[1] : member_;
  // Beyond the largest double the sum is infinity, which the module reads
  // back from the file as 0: the sign-in side refuses it too, but this says why.
  if (!std::isfinite(Balance(member) + *amount)) {
    out_ << "  cannot pay " << arguments[0] << " to " << member
         << ": the balance would be larger than a balance can be\n";
    return;
  }
  if (!zorvane::PayMember(settingsFolder_, group_, member, *amount)) {
    out_ << "  cannot write the sign-in file " << LedgerShown() << "\n";
    return;
  }
  const std::optional<zorvane::Text> now =
      zorvane::ReadMemberBalance(settingsFolder_, group_, member);
  out_ << "  the sign-in module paid " << arguments[0] << " to " << member << ", who now has "
       << (now ? ForTerminal(*now) : "0") << "\n";
}

void Host::ShowBalances() const {
  const std::vector<zorvane::MemberBalance> members = Members();
  out_ << "  balances in group " << group_ << ":\n";
  if (members.empty()) {
    out_ << "    (nobody)\n";
  }
  for (const zorvane::MemberBalance& entry : members) {
    out_ << "    " << ForTerminal(entry.member) << ": " << ForTerminal(entry.text)
         << (std::string_view(entry.member) == member_ ? "  (you)" : "") << "\n";
  }
}

void Host::ShowRiddle() const {
  const zorvane::Text stateFile = zorvane::StateFilePath(settingsFolder_, group_);
  const zorvane::Text path =
      zorvane::ReadSetting(stateFile, zorvane::StateSection, zorvane::CurrentPathKey);
  const std::string start = ForTerminal(zorvane::StartWord);
  if (path.empty()) {
    out_ << "  group " << group_ << " has no game yet: send " << start << "\n";
    return;
  }
  const bool open =
      !zorvane::ReadSetting(stateFile, zorvane::StateSection, zorvane::AnswerKey).empty();
  out_ << "  group " << group_ << " is at page " << ForTerminal(path) << "; "
       << (open ? "a riddle is open" : "no riddle is open: send " + start) << "\n";
}

void Host::ShowHelp() const {
  out_ << "Messages go to the module as group messages of the current member.\n"
       << "A message that starts with the command word (\"" << ForTerminal(commandWord_)
       << "\") reaches it without the word.\n";
  if (signin_ != nullptr) {
    out_ << "They go to the sign-in module too (its word: \"" << ForTerminal(signinCommandWord_)
         << "\"): " << ForTerminal(zorvane::SigninWord) << ", " << ForTerminal(zorvane::BalanceWord)
         << ", " << ForTerminal(zorvane::StandingsWord) << ".\n";
  }
  out_ << HelpCommands;
}

}  // namespace host_simulator
