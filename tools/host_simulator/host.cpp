#include "host.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "runtime/gbk_utf8.h"
#include "runtime/settings/settings.h"

namespace host_simulator {
namespace {

// The module's game state of a group: section "开始", keys "结尾" (the
// page path) and "答案" (the open riddle's answer).
constexpr char StateSection[] = "开始";
constexpr char PathKey[] = "结尾";
constexpr char AnswerKey[] = "答案";

constexpr char HelpText[] =
    "Messages go to the module as group messages of the current member.\n"
    "A message that starts with the command word (\"Zorva \") reaches it without the word.\n"
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

Host::Host(ZorvaneModule& module, const SigninLedger& ledger, std::string runDirectory,
           std::string group, std::string member, std::ostream& out)
    : module_(module),
      ledger_(ledger),
      runDirectory_(std::move(runDirectory)),
      group_(std::move(group)),
      member_(std::move(member)),
      out_(out) {}

std::string Host::CallInfo() {
  std::string descriptor = module_.Info();
  commandWord_ = CommandWordOf(descriptor);
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
  Send(std::get<ModuleMessage>(routed).text);
  return true;
}

void Host::Send(const std::string& gbkMessage) {
  Exchange exchange{gbkMessage, "", ledger_.Balance(group_, member_), 0.0};
  exchange.reply = module_.Event(gbkMessage, GroupMessageType, group_, member_, "");
  exchange.balanceAfter = ledger_.Balance(group_, member_);
  if (exchange.reply.empty()) {
    out_ << "  (no reply)\n";
  } else {
    out_ << "  reply:\n";
    WriteIndented(out_, exchange.reply);
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
  const std::optional<std::string> balance = ledger_.BalanceText(group_, member_);
  out_ << "  balance of " << member_ << ": " << (balance ? ForTerminal(*balance) : "(none)")
       << std::endl;
}

bool Host::SeedMember() const {
  if (ledger_.SeedIfMissing(group_, member_)) {
    return true;
  }
  out_ << "  cannot write the sign-in file " << ForTerminal(ledger_.FilePath(group_)) << "\n";
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
  // back from the file as 0.
  if (!std::isfinite(ledger_.Balance(group_, member) + *amount)) {
    out_ << "  cannot pay " << arguments[0] << " to " << member
         << ": the balance would be larger than a balance can be\n";
    return;
  }
  if (!ledger_.Give(group_, member, *amount)) {
    out_ << "  cannot write the sign-in file " << ForTerminal(ledger_.FilePath(group_)) << "\n";
    return;
  }
  out_ << "  the sign-in module paid " << arguments[0] << " to " << member << ", who now has "
       << ForTerminal(ledger_.BalanceText(group_, member).value_or("0")) << "\n";
}

void Host::ShowBalances() const {
  const std::vector<MemberBalance> members = ledger_.Members(group_);
  out_ << "  balances in group " << group_ << ":\n";
  if (members.empty()) {
    out_ << "    (nobody)\n";
  }
  for (const MemberBalance& entry : members) {
    out_ << "    " << ForTerminal(entry.member) << ": " << ForTerminal(entry.text)
         << (entry.member == member_ ? "  (you)" : "") << "\n";
  }
}

void Host::ShowRiddle() const {
  const std::string stateFile = runDirectory_ + "/Zorva/" + group_ + ".ini";
  const zorvane::Text path = zorvane::ReadSetting(stateFile, StateSection, PathKey);
  if (path.empty()) {
    out_ << "  group " << group_ << " has no game yet: send " << ForTerminal("开始") << "\n";
    return;
  }
  const bool open = !zorvane::ReadSetting(stateFile, StateSection, AnswerKey).empty();
  out_ << "  group " << group_ << " is at page " << ForTerminal(path) << "; "
       << (open ? "a riddle is open" : "no riddle is open: send " + ForTerminal("开始")) << "\n";
}

void Host::ShowHelp() const {
  out_ << HelpText;
}

}  // namespace host_simulator
