// End-to-end harness for the game: the test build of the module loaded
// through dlopen, pointed at a run directory of its own and a local riddle
// site, with helpers that read and write the files the game works on.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "runtime/text.h"
#include "support/module_under_test.h"
#include "support/riddle_site_fixture.h"
#include "support/temp_dir.h"

namespace zorvane::testing {

// The amount a reply shows right after head (one of the contract's reply
// heads), or nullopt when it shows none.
std::optional<std::int32_t> AmountInReply(const std::string& reply, TextView head);

// The refusal that shows this stored balance text.
std::string RefusalShowing(const std::string& balanceText);

// Checks a reply to a correct guess (reward in range, exact bytes, the next
// question after it) and returns the reward it shows, 0 when it shows none.
std::int32_t ExpectCorrectGuessReply(const std::string& reply, const std::string& nextQuestion);

// Checks a reply to a wrong guess and returns the penalty it shows, or 0.
std::int32_t ExpectWrongGuessReply(const std::string& reply);

// A balance as the sign-in module finds it written back: "%.13g".
std::string BalanceText(double balance);

// Every file below root with its bytes, for "nothing changed" checks; the
// host's program and modules (.exe, .dll) are left out.
std::string FolderSnapshot(const std::filesystem::path& root);

class GameTest : public ::testing::Test {
 protected:
  GameTest();

  // A group message from member.
  std::string Say(const std::string& group, const std::string& member, const std::string& message);

  // The files on the disk.
  std::filesystem::path LedgerFile(const std::string& group) const;
  std::filesystem::path StateFile(const std::string& group) const;

  // Through the module's own settings layer, in the test process: the files
  // are shared with the sign-in module, so the format must round-trip.
  void SetBalance(const std::string& group, const std::string& member, const std::string& text);
  // The stored balance text; "" when it is missing.
  std::string Balance(const std::string& group, const std::string& member) const;
  std::string State(const std::string& group, TextView key) const;
  void SetState(const std::string& group, TextView key, const std::string& value);

  // Every file below the run directory with its bytes, for "nothing changed" checks.
  std::string Snapshot() const;

  // The riddle site's requests since the last call, as targets.
  std::vector<std::string> TakeRequests();

  TempDir runDir_;
  RiddleSite site_;
  ModuleUnderTest module_;
};

}  // namespace zorvane::testing
