// The chat-robot host as the simulator plays it: one group and one member
// at a time, lines typed by the member routed to the simulator's own
// commands or to the modules, and everything that happens shown on out.
// With the sign-in module loaded beside the game, every message goes to
// both, each without its own command word when the message starts with it.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/zorvane_module.h"
#include "host_commands.h"
#include "signin/signin_ledger.h"

namespace host_simulator {

// One message that reached the modules.
struct Exchange {
  std::string message;      // GBK, as the game received it
  std::string reply;        // the game's, GBK; empty for no reply
  std::string signinReply;  // the sign-in module's, if loaded
  double balanceBefore;     // the sender's, as stored in the sign-in ledger
  double balanceAfter;
};

// What a member holds when the simulator first meets them.
inline constexpr char StartingBalance[] = "100";

class Host {
 public:
  // settingsFolder: the run directory, as the settings layer names folders
  // (GBK). group and member are numbers (ASCII digits). signin, when given,
  // is the sign-in module, loaded into the same run directory.
  Host(zorvane::host::ZorvaneModule& module, std::string settingsFolder, std::string group,
       std::string member, std::ostream& out, zorvane::host::ZorvaneModule* signin = nullptr);

  // Calls info, as a host does once after loading a module, and learns the
  // command words from the descriptors. Returns the game's descriptor (GBK).
  std::string CallInfo();

  // Shows the descriptor that CallInfo returned.
  void ShowDescriptor(std::string_view descriptor);

  // Handles one typed line (UTF-8). False once the member asked to quit.
  bool Handle(std::string_view utf8Line);

  // The last message that reached the module and its outcome.
  const std::optional<Exchange>& lastExchange() const { return lastExchange_; }

  const std::string& group() const { return group_; }
  const std::string& member() const { return member_; }
  const std::string& settingsFolder() const { return settingsFolder_; }
  // The descriptor's command word (GBK), once CallInfo has been called.
  const std::string& commandWord() const { return commandWord_; }
  bool hasSignin() const { return signin_ != nullptr; }
  // The sign-in module's command word (GBK), once CallInfo has been called.
  const std::string& signinCommandWord() const { return signinCommandWord_; }

  // A member's balance in the current group, as the game reads it.
  double Balance(const std::string& member) const;

  // The current group's members, highest balance first.
  std::vector<zorvane::MemberBalance> Members() const;

  // Shows the current member's stored balance.
  void ShowBalance() const;

  // Gives the current member their starting balance when they have none;
  // false (after saying why) when the sign-in ledger cannot be written.
  bool SeedMember() const;

 private:
  void Send(const std::string& gbkLine, const std::string& gameMessage);
  bool Run(const HostCommand& command);
  // /member N and /group N: N takes the place of current.
  void Switch(std::string& current, const char* command, const std::vector<std::string>& arguments);
  void GiveMoney(const std::vector<std::string>& arguments);
  void ShowBalances() const;
  void ShowRiddle() const;
  void ShowHelp() const;
  std::string LedgerShown() const;

  zorvane::host::ZorvaneModule& module_;
  zorvane::host::ZorvaneModule* signin_;
  std::string settingsFolder_;
  std::string group_;
  std::string member_;
  std::string commandWord_;
  std::string signinCommandWord_;
  std::ostream& out_;
  std::optional<Exchange> lastExchange_;
};

// GBK text in UTF-8, without carriage returns.
std::string ForTerminal(std::string_view gbk);

}  // namespace host_simulator
