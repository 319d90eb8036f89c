// Where each group of a host stands, read from the host's folder through
// the module's own settings layer, so that every file reads as the module
// reads it. Nothing here writes a file. Names and texts are GBK.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "signin/signin_ledger.h"

namespace riddle_site {

using zorvane::MemberBalance;

// A group's state file as the console shows it.
struct GroupState {
  std::string group;
  std::string path;         // the page the group stands on
  bool riddleOpen = false;  // an answer is stored: a riddle waits to be guessed
};

class HostFolder {
 public:
  // folder: the host program's folder as named on the command line.
  explicit HostFolder(std::string folder);

  // Every group with a game-state file, in order of name.
  std::vector<GroupState> Groups() const;

  // The group's state, when it has a state file; only groups that Groups()
  // lists are looked up, so a name from a request never becomes a path.
  std::vector<GroupState> FindGroup(std::string_view group) const;

  // The members that the group's sign-in file holds a balance for, highest
  // first (equal balances in file order).
  std::vector<MemberBalance> Members(std::string_view group) const;

 private:
  // The names of the groups with a game-state file, in order; reads no file.
  std::vector<std::string> GroupNames() const;
  bool IsListed(std::string_view group) const;
  GroupState StateOf(const std::string& group) const;

  std::string folder_;             // native
  std::string folderForSettings_;  // GBK
};

}  // namespace riddle_site
