// The companion sign-in module's side of the balances: one settings file per
// group below the run directory, one section per member, one key holding
// the member's money. The host simulator fills it in as that module would.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "signin/ledger_members.h"

namespace host_simulator {

// What a member holds when the simulator first meets them.
inline constexpr char StartingBalance[] = "100";

using riddle_site::MemberBalance;

// Every name and text here is GBK.
class SigninLedger {
 public:
  explicit SigninLedger(std::string runDirectory);

  // runDirectory + "/config/签到数据" + group + ".ini"
  std::string FilePath(const std::string& group) const;

  // The stored balance text, or nullopt when there is none (an empty one
  // counts as none).
  std::optional<std::string> BalanceText(const std::string& group, const std::string& member) const;

  // The stored balance as the module reads it (0 when there is none).
  double Balance(const std::string& group, const std::string& member) const;

  // Stores text as the balance; makes the config folder when it is missing.
  bool SetBalance(const std::string& group, const std::string& member,
                  const std::string& text) const;

  // Adds amount (which may be negative) to the balance, as the sign-in
  // module pays out; false when the file could not be written.
  bool Give(const std::string& group, const std::string& member, double amount) const;

  // Gives the member StartingBalance when they have no balance yet; keeps
  // an existing one. False when the file could not be written.
  bool SeedIfMissing(const std::string& group, const std::string& member) const;

  // The members of the group that the file holds a balance for, highest
  // balance first (members with equal balances in file order).
  std::vector<MemberBalance> Members(const std::string& group) const;

 private:
  std::string runDirectory_;
};

}  // namespace host_simulator
