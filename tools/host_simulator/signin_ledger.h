// The companion sign-in module's side of the balances: one settings file per
// group below the run directory, one section per member, one key holding
// the member's money. The host simulator fills it in as that module would.
#pragma once

#include <optional>
#include <string>

namespace host_simulator {

// What a member holds when the simulator first meets them.
inline constexpr char StartingBalance[] = "100";

class SigninLedger {
 public:
  // group and member are GBK.
  SigninLedger(std::string runDirectory, std::string group, std::string member);

  // runDirectory + "/config/签到数据" + group + ".ini" (GBK bytes).
  std::string FilePath() const;

  // The stored balance text, or nullopt when there is none (an empty one
  // counts as none).
  std::optional<std::string> BalanceText() const;

  // The stored balance as a number (0 when there is none).
  double Balance() const;

  // Stores text as the balance; makes the config folder when it is missing.
  bool SetBalance(const std::string& text) const;

  // Gives the member StartingBalance when they have no balance yet; keeps
  // an existing one. False when the file could not be written.
  bool SeedIfMissing() const;

 private:
  std::string section() const;

  std::string runDirectory_;
  std::string group_;
  std::string member_;
};

}  // namespace host_simulator
