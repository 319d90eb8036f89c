// HandleChatEvent with arbitrary messages, types, groups and members against
// arbitrary riddle pages served in process. After every event: no file
// outside the run folder, state and ledger files that still read as settings
// files, a balance that moved only by an amount the reply shows and that lies
// in the reward or penalty range, and a reply of one of the game's forms.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_sandbox.h"
#include "game/chat_event.h"
#include "game/contract.h"
#include "game/game_rules.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game/riddle_page.h"
#include "game/site_urls.h"
#include "runtime/convert.h"
#include "runtime/native_path.h"
#include "runtime/run_environment.h"
#include "runtime/settings/settings.h"
#include "support/temp_dir.h"

using namespace zorvane;
using namespace zorvane::fuzzing;
using zorvane::testing::ReadFileBytes;
using zorvane::testing::WriteFileBytes;

namespace {

const std::string CorrectHead(CorrectGuessReplyHead);
const std::string CorrectMiddle(CorrectGuessReplyMiddle);
const std::string WrongHead(WrongGuessReplyHead);
const std::string WrongTail(WrongGuessReplyTail);
const std::string RefusedHead(RefusedReplyHead);
const std::string RefusedTail(RefusedReplyTail);

const std::vector<std::string> Groups = {"1001", "1002"};
const std::vector<std::string> Members = {"11", "22", "33"};
// Where every group starts, another riddle page and a path of another shape.
const std::vector<std::string> Paths = {
    std::string(InitialRiddlePath),
    std::string(RiddlePathPrefix) + "2" + std::string(RiddlePathSuffix), "/p"};

// The run folder lies two folders down in the sandbox, so that a path that
// climbs out of it still lands where the check below sees it.
const std::filesystem::path runFolder = Sandbox() / "a" / "b" / "run";

// The riddle site: page bodies by path below the site address.
std::map<std::string, std::string> pages;

ByteBuffer ServePage(TextView url) {
  const TextView base = RiddleSiteBase();
  if (url.substr(0, base.size()) != base) {
    return {};
  }
  const auto page = pages.find(std::string(url.substr(base.size())));
  if (page == pages.end()) {
    return {};
  }
  return ByteBuffer(page->second.begin(), page->second.end());
}

bool StartsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

template <class Choices>
std::string Pick(FuzzedDataProvider& input, const Choices& choices) {
  return choices[input.ConsumeIntegralInRange<std::size_t>(0, choices.size() - 1)];
}

// A known name most of the time, else any bytes.
std::string NameOrBytes(FuzzedDataProvider& input, const std::vector<std::string>& names) {
  return input.ConsumeIntegralInRange(0, 7) != 0 ? Pick(input, names)
                                                 : input.ConsumeRandomLengthString(12);
}

std::string MakePage(FuzzedDataProvider& input) {
  if (input.ConsumeIntegralInRange(0, 5) == 0) {
    return input.ConsumeRandomLengthString(512);
  }
  std::string page = input.ConsumeRandomLengthString(24);
  page +=
      std::string(QuestionStart) + input.ConsumeRandomLengthString(24) + std::string(QuestionEnd);
  page += input.ConsumeRandomLengthString(8);
  page += std::string(AnswerStart) + input.ConsumeRandomLengthString(16) + std::string(AnswerEnd);
  const std::string next =
      input.ConsumeBool() ? Pick(input, Paths) : input.ConsumeRandomLengthString(16);
  page += std::string(NextPathStart) + next + std::string(NextPathEnd) +
          input.ConsumeRandomLengthString(24);
  return page;
}

// Mostly members who may play, so that the game gets past the gate.
std::string MakeBalance(FuzzedDataProvider& input) {
  static const std::vector<std::string> playing = {"50", "1000", "20.5", "21", "1e300", "25.25"};
  static const std::vector<std::string> refused = {"20", "-5", "", "abc", "20.0000001"};
  switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0:
      return Pick(input, refused);
    case 1:
      return input.ConsumeRandomLengthString(12);
    default:
      return Pick(input, playing);
  }
}

void SetUpGame(FuzzedDataProvider& input) {
  EmptyFolder(Sandbox());
  std::filesystem::create_directories(NativePath(LedgerFolderPath(RunDirectory())));
  std::filesystem::create_directories(NativePath(GameFolderPath(RunDirectory())));
  for (const std::string& group : Groups) {
    for (const std::string& member : Members) {
      WriteSetting(LedgerFilePath(RunDirectory(), group), LedgerSection(member, group), BalanceKey,
                   MakeBalance(input));
    }
  }
  // Every group starts at the first of Paths; the site has a page there
  // and, now and then, at other paths.
  pages.clear();
  pages[Paths[0]] = MakePage(input);
  const int pageCount = input.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < pageCount; ++i) {
    const std::string path =
        input.ConsumeBool() ? Pick(input, Paths) : input.ConsumeRandomLengthString(16);
    pages[path] = MakePage(input);
  }
}

std::string MakeMessage(FuzzedDataProvider& input, const std::string& group) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return std::string(StartWord);
    case 1: {
      const Text answer = ReadStoredAnswer(group);
      return input.ConsumeRandomLengthString(6) + std::string(answer) +
             input.ConsumeRandomLengthString(6);
    }
    default:
      return input.ConsumeRandomLengthString(24);
  }
}

// Every non-blank line of a settings file: a section header, a comment or a key line.
int CountSectionsOfWellFormedFile(const std::string& content) {
  int sections = 0;
  std::size_t begin = 0;
  while (begin < content.size()) {
    std::size_t end = content.find('\n', begin);
    end = end == std::string::npos ? content.size() : end;
    const std::string line = content.substr(begin, end - begin);
    begin = end + 1;
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == ';') {
      continue;
    }
    if (line[first] == '[' && line.find(']') != std::string::npos) {
      ++sections;
      continue;
    }
    FUZZ_CHECK(line.find('=') != std::string::npos);
  }
  return sections;
}

// The amount between a reply's head and what follows it, when it is in range.
std::optional<int> AmountBetween(const std::string& reply, const std::string& head,
                                 const std::string& next, int low, int high) {
  const std::size_t end = reply.find(next, head.size());
  if (end == std::string::npos || end == head.size() || end - head.size() > 2) {
    return std::nullopt;
  }
  const std::string digits = reply.substr(head.size(), end - head.size());
  if (digits.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const int amount = std::stoi(digits);
  return amount >= low && amount <= high ? std::optional<int>(amount) : std::nullopt;
}

bool IsSomeQuestion(const std::string& text) {
  for (const auto& [path, body] : pages) {
    if (TextView(CutQuestion(ToText(ByteBuffer(body.begin(), body.end())))) == text) {
      return true;
    }
  }
  return text.empty();
}

void CheckBalanceMoved(const Text& before, const Text& after, int delta) {
  const double old = ToNumber(before);
  FUZZ_CHECK(old - PlayThreshold > BalanceEpsilon);  // only members above the threshold play
  if (!std::isfinite(old)) {
    FUZZ_CHECK(after == before);  // never written back as a text that reads as 0
    return;
  }
  const double now = ToNumber(after);
  FUZZ_CHECK(std::fabs(now - (old + delta)) <= 1e-11 * std::max(1.0, std::fabs(old)));
}

void CheckReply(const std::string& reply, const Text& balanceBefore, const Text& balanceAfter) {
  if (StartsWith(reply, CorrectHead)) {
    const std::optional<int> reward =
        AmountBetween(reply, CorrectHead, CorrectMiddle, RewardRange.low, RewardRange.high);
    FUZZ_CHECK(reward.has_value());
    const std::size_t question =
        reply.find(CorrectMiddle, CorrectHead.size()) + CorrectMiddle.size();
    FUZZ_CHECK(IsSomeQuestion(reply.substr(question)));
    CheckBalanceMoved(balanceBefore, balanceAfter, *reward);
    return;
  }
  if (StartsWith(reply, WrongHead)) {
    const std::optional<int> penalty =
        AmountBetween(reply, WrongHead, WrongTail, PenaltyRange.low, PenaltyRange.high);
    FUZZ_CHECK(penalty.has_value() && reply.size() == WrongHead.size() +
                                                          std::to_string(*penalty).size() +
                                                          WrongTail.size());
    CheckBalanceMoved(balanceBefore, balanceAfter, -*penalty);
    return;
  }
  // Nothing is paid or charged for any other outcome.
  FUZZ_CHECK(balanceAfter == balanceBefore);
  if (StartsWith(reply, RefusedHead)) {
    FUZZ_CHECK(reply == RefusedHead + std::string(balanceBefore) + RefusedTail);
    FUZZ_CHECK(!(ToNumber(balanceBefore) - PlayThreshold > BalanceEpsilon));
    return;
  }
  FUZZ_CHECK(IsSomeQuestion(reply));
}

struct LedgerView {
  std::map<std::pair<std::string, std::string>, Text> balances;
  std::map<std::string, int> sections;
};

LedgerView ReadLedgers(const std::string& group, const std::string& member) {
  LedgerView view;
  std::vector<std::string> groups = Groups;
  groups.push_back(group);
  std::vector<std::string> members = Members;
  members.push_back(member);
  for (const std::string& g : groups) {
    for (const std::string& m : members) {
      view.balances[{g, m}] = ReadBalanceText(g, m);
    }
    view.sections[g] =
        CountSectionsOfWellFormedFile(ReadFileBytes(NativePath(LedgerFilePath(RunDirectory(), g))));
  }
  return view;
}

void CheckStateFile(const std::string& group) {
  const std::string content = ReadFileBytes(NativePath(StateFilePath(RunDirectory(), group)));
  FUZZ_CHECK(CountSectionsOfWellFormedFile(content) <= 1);
  const Text path = ReadCurrentPath(group);
  FUZZ_CHECK(path.empty() || path.front() == '/');
}

// Groups named in this input's events.
std::set<std::string> groupsPlayed;

// Only the run folder, and in it only the ledgers and the state files of
// groups that played: no file elsewhere and none left behind by a write.
void CheckOnlyTheGamesFiles() {
  const auto inSandbox = [](const Text& path) {
    // Lexically: a name with ".." in it must not come to name another file.
    return std::filesystem::path(NativePath(path)).lexically_relative(Sandbox()).string();
  };
  std::set<std::string> allowed = {"a", "a/b", "a/b/run",
                                   inSandbox(LedgerFolderPath(RunDirectory())),
                                   inSandbox(GameFolderPath(RunDirectory()))};
  for (const std::string& group : Groups) {
    allowed.insert(inSandbox(LedgerFilePath(RunDirectory(), group)));
  }
  for (const std::string& group : groupsPlayed) {
    allowed.insert(inSandbox(StateFilePath(RunDirectory(), group)));
  }
  const std::string listing = ListTree(Sandbox());
  std::size_t begin = 0;
  while (begin < listing.size()) {
    const std::size_t end = listing.find('\n', begin);
    FUZZ_CHECK(allowed.count(listing.substr(begin, end - begin)) == 1);
    begin = end + 1;
  }
}

void PlayEvent(FuzzedDataProvider& input) {
  const std::string type = input.ConsumeIntegralInRange(0, 7) != 0
                               ? std::string(GroupMessageType)
                               : input.ConsumeRandomLengthString(4);
  const std::string group = NameOrBytes(input, Groups);
  const std::string member = NameOrBytes(input, Members);
  const std::string message = MakeMessage(input, group);
  groupsPlayed.insert(group);
  const std::string extra = input.ConsumeRandomLengthString(4);

  const LedgerView before = ReadLedgers(group, member);
  const std::string reply = HandleChatEvent(message, type, group, member, extra).c_str();
  const LedgerView after = ReadLedgers(group, member);

  for (const auto& [who, balance] : before.balances) {
    if (who != std::pair(group, member)) {
      FUZZ_CHECK(after.balances.at(who) == balance);
    }
  }
  for (const auto& [g, count] : before.sections) {
    FUZZ_CHECK(after.sections.at(g) == count);
  }
  CheckReply(reply, before.balances.at({group, member}), after.balances.at({group, member}));
  CheckStateFile(group);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetRunDirectoryForTesting(runFolder.string());
  SetPageSourceForTesting(ServePage);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  SetUpGame(input);
  groupsPlayed.clear();
  for (int events = 0; events < 12 && input.remaining_bytes() > 0; ++events) {
    PlayEvent(input);
  }
  CheckOnlyTheGamesFiles();
  return 0;
}
