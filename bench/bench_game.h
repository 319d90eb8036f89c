// A run directory for benchmarks: a group's sign-in data file with many
// members, its game-state file, and the test build of the module loaded as
// a host loads it and pointed at that directory.
#pragma once

#include <string>

#include "support/module_under_test.h"
#include "support/temp_dir.h"

namespace zorvane::bench {

// How members and groups are named: by numbers only, or with letters in
// them, which a settings file matches without regard to case.
enum class Names { Numeric, Lettered };

// The n-th member's name ("100005", or "m100005" with letters); members are
// numbered from 0 in file order.
std::string Member(int n, Names names = Names::Numeric);

// The group's name: "123456789", or "g1" with letters.
std::string GroupName(Names names);

class BenchGame {
 public:
  // members sections of "<member>--<group>" with the balance key, each
  // holding balance, in a CRLF file as the sign-in module writes it.
  BenchGame(int members, const std::string& balance, const std::string& riddleSiteBase,
            Names names = Names::Numeric);

  // One chat event through the Zorvane export; the reply.
  std::string Event(const std::string& message, const std::string& type, const std::string& member);
  // The info export, which makes the game's folder.
  void Info();

  // The group's sign-in data file and game-state file, as the file system names them.
  const std::string& LedgerPath() const { return ledgerPath_; }
  std::string StatePath() const;

  // Opens a riddle for the group with this answer (GBK).
  void OpenRiddle(const std::string& answer);
  // Points the group at a riddle page, with no riddle open yet.
  void SetCurrentPage(const std::string& path);
  // Sets a member's balance text in the sign-in data file.
  void SetBalance(const std::string& member, const std::string& balance);
  // The answer the game-state file holds now.
  std::string StoredAnswer() const;

 private:
  std::string group_;
  testing::TempDir runDirectory_;
  std::string ledgerPath_;
  testing::ModuleUnderTest module_;
  host::InfoFunction info_;
  host::ZorvaneFunction zorvane_;
};

// A site address where nothing listens, for events that fetch nothing.
std::string NoSite();

}  // namespace zorvane::bench
