// Plays an end-to-end scenario on one back-end: events through the module's
// exports, and the files the game shares with the sign-in module read and
// written the way that module would, wherever the back-end keeps them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "scenario_backend.h"
#include "support/riddle_site_fixture.h"

namespace zorvane::testing {

class ScenarioPlayer {
 public:
  ScenarioPlayer(ScenarioBackend& backend, RiddleSite& site);

  ScenarioBackend& backend() { return backend_; }
  RiddleSite& site() { return site_; }

  // The descriptor; checks that the update page was fetched, and only that.
  std::string Info();

  // A group message ("2").
  std::string Say(const std::string& group, const std::string& member, const std::string& message);

  // A group message as a host without command-word routing hands it to
  // both modules, the game first: both replies (the sign-in module loaded).
  struct Replies {
    std::string game;
    std::string signin;
  };
  Replies SayToBoth(const std::string& group, const std::string& member,
                    const std::string& message);

  // A wrong guess: checks the reply and that the balance went down by the
  // penalty it shows. Returns the penalty.
  std::int32_t ExpectWrongGuess(const std::string& group, const std::string& member,
                                const std::string& message);
  // A correct guess: checks the reply (the next question after it) and that
  // the balance went up by the reward it shows. Returns the reward.
  std::int32_t ExpectCorrectGuess(const std::string& group, const std::string& member,
                                  const std::string& message, const std::string& nextQuestion);

  // The sign-in module's ledger and the group's state, through the module's
  // own settings layer working on a copy of the file's bytes.
  void SetBalance(const std::string& group, const std::string& member, const std::string& text);
  std::string Balance(const std::string& group, const std::string& member) const;
  std::string State(const std::string& group, TextView key) const;

  std::filesystem::path LedgerFile(const std::string& group) const;
  std::filesystem::path StateFile(const std::string& group) const;

  // Every file below the run directory with its bytes, the host's own
  // program and module left out, for "nothing changed" checks.
  std::string Snapshot() const;

  // The riddle site's requests since the last call, as targets.
  std::vector<std::string> TakeRequests();

  // Points a module with the testing seam at an address where nothing
  // listens, or back at the site. A module without the seam (the product)
  // asks the site at its built-in address, which the test site holds: that
  // site stops listening, and listens again.
  void SiteDown();
  void SiteUp();

 private:
  ScenarioBackend& backend_;
  RiddleSite& site_;
};

// The value of key in section of a settings file's bytes, read by the
// module's settings layer ("" when missing).
std::string ReadSettingFromBytes(const std::string& bytes, TextView section, TextView key);
// bytes with key in section set to value by the module's settings layer.
std::string WriteSettingToBytes(const std::string& bytes, TextView section, TextView key,
                                TextView value);

}  // namespace zorvane::testing
