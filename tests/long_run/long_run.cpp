// long_run --site URL --run-dir DIR --events N [--report-rss-at M]
//
// Plays N chat events through the module's exports against the riddle site
// at URL: start commands, right and wrong guesses, members refused for want
// of money and messages of other types, in a fixed pseudo-random mix over
// several groups. Every reply is checked against its form, and at the end
// every member's balance against the amounts the replies showed. Prints the
// peak resident set size after M events (when given), every 5,000 and after all N, so
// that a run can show that memory stays flat. Exits 1 on a wrong reply or
// balance, 2 on a bad command line.
#include <malloc.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "game/contract.h"
#include "game/game_rules.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "game/replies.h"
#include "host/command_line.h"
#include "runtime/native_path.h"
#include "runtime/settings/settings.h"
#include "support/module_under_test.h"

namespace {

using namespace zorvane;
using zorvane::testing::ModuleUnderTest;

constexpr int Groups = 4;
constexpr int MembersPerGroup = 12;
// Members from this index on start poor and are always refused.
constexpr int FirstPoorMember = 10;

struct Options {
  std::string site;
  std::filesystem::path runDir;
  long events = 0;
  long reportRssAt = -1;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  std::string runDir;
  const auto count = [](long& into) {
    return [&into](const std::string& value) -> std::optional<std::string> {
      into = std::atol(value.c_str());
      return std::nullopt;
    };
  };
  const std::vector<host::CommandLineOption> known = {
      host::ValueOption("--site", options.site),
      host::ValueOption("--run-dir", runDir),
      {{"--events"}, true, count(options.events)},
      {{"--report-rss-at"}, true, count(options.reportRssAt)},
  };
  if (host::ReadCommandLine(argc, argv, 1, known)) {
    return false;
  }
  options.runDir = runDir;
  return !options.site.empty() && !options.runDir.empty() && options.events > 0;
}

// The peak resident set and the bytes the heap holds in use right now.
std::string MemoryFigures() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return std::to_string(usage.ru_maxrss) + " kB, heap in use " +
         std::to_string(mallinfo2().uordblks / 1024) + " kB";
}

std::string GroupName(int g) {
  return std::to_string(880000 + g);
}

std::string MemberName(int m) {
  return std::to_string(100 + m);
}

// The amount a reply shows after head, or -1.
int AmountAfter(const std::string& reply, TextView head) {
  if (!TextView(reply).starts_with(head)) {
    return -1;
  }
  const std::size_t end = reply.find_first_not_of("0123456789", head.size());
  if (end == head.size() || end == std::string::npos || end - head.size() > 2) {
    return -1;
  }
  return std::stoi(reply.substr(head.size(), end - head.size()));
}

class Game {
 public:
  Game(const Options& options, const ModuleUnderTest& module)
      : runDir_(options.runDir), zorvane_(module.zorvane()), random_(20261208) {
    std::filesystem::create_directories(NativePath(LedgerFolderPath(runDir_.string())));
    for (int g = 0; g < Groups; ++g) {
      for (int m = 0; m < MembersPerGroup; ++m) {
        // Enough to play on for the whole run, or too little to play at all.
        const double balance = m < FirstPoorMember ? 1000000 + m * 0.25 : 15;
        SetBalance(g, m, balance);
        expected_[{g, m}] = balance;
      }
    }
  }

  // One event of the mix; false when its reply or the money is wrong.
  bool PlayOne() {
    const int g = Draw(Groups);
    const int m = Draw(FirstPoorMember);
    const int kind = Draw(100);
    if (kind < 10) {
      static const char* const otherTypes[] = {"1", "", "02", "4", " 2"};
      return Expect(Event("开始", otherTypes[Draw(5)], g, m) == "", "ignored type");
    }
    if (kind < 20) {
      const int poor = FirstPoorMember + Draw(MembersPerGroup - FirstPoorMember);
      return Expect(Event("开始", "2", g, poor) == std::string(RefusedReply("15")), "refusal");
    }
    const bool open = !Answer(g).empty();
    if (kind < 30 || !open) {
      return Expect(!Event("开始", "2", g, m).empty(), "start");
    }
    if (kind < 60) {
      const std::string reply = Event("是" + Answer(g) + "吧", "2", g, m);
      return Account(g, m, AmountAfter(reply, CorrectGuessReplyHead), RewardRange, +1,
                     "right guess");
    }
    // ASCII, so that no answer of the site (all Chinese) is found in it.
    const std::string reply = Event("pass", "2", g, m);
    return Account(g, m, AmountAfter(reply, WrongGuessReplyHead), PenaltyRange, -1, "wrong guess");
  }

  // Every balance as the replies have moved it.
  bool BalancesAsExpected() const {
    bool all = true;
    for (const auto& [who, balance] : expected_) {
      const double stored = std::atof(ReadBalance(who.first, who.second).c_str());
      if (std::fabs(stored - balance) > 1e-6) {
        std::cerr << "member " << MemberName(who.second) << " of group " << GroupName(who.first)
                  << ": " << stored << " stored, " << balance << " expected\n";
        all = false;
      }
    }
    return all;
  }

 private:
  int Draw(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  std::string Event(const std::string& message, const char* type, int g, int m) {
    const char* reply =
        zorvane_(message.c_str(), type, GroupName(g).c_str(), MemberName(m).c_str(), "");
    return reply ? reply : "(null)";
  }

  Text LedgerFile(int g) const { return LedgerFilePath(runDir_.string(), GroupName(g)); }
  Text Section(int g, int m) const { return LedgerSection(MemberName(m), GroupName(g)); }

  void SetBalance(int g, int m, double balance) {
    char text[64];
    std::snprintf(text, sizeof text, "%.13g", balance);
    WriteSetting(LedgerFile(g), Section(g, m), BalanceKey, text);
  }
  std::string ReadBalance(int g, int m) const {
    return std::string(ReadSetting(LedgerFile(g), Section(g, m), BalanceKey));
  }
  std::string Answer(int g) const {
    return std::string(
        ReadSetting(StateFilePath(runDir_.string(), GroupName(g)), StateSection, AnswerKey));
  }

  bool Account(int g, int m, int amount, AmountRange range, int sign, const char* what) {
    if (!Expect(amount >= range.low && amount <= range.high, what)) {
      return false;
    }
    expected_[{g, m}] += sign * amount;
    return true;
  }

  bool Expect(bool ok, const char* what) {
    if (!ok) {
      std::cerr << "unexpected reply to a " << what << "\n";
    }
    return ok;
  }

  std::filesystem::path runDir_;
  host::ZorvaneFunction zorvane_;
  std::mt19937 random_;
  std::map<std::pair<int, int>, double> expected_;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << "usage: long_run --site URL --run-dir DIR --events N [--report-rss-at M]\n";
    return 2;
  }
  int failures = 0;
  {
    ModuleUnderTest module;
    module.ConfigureForTesting(options.runDir.c_str(), options.site, options.site + "/update.html");
    // The descriptor makes the game folder and looks for an update.
    if (module.Info().empty()) {
      ++failures;
    }
    Game game(options, module);
    for (long i = 1; i <= options.events; ++i) {
      failures += !game.PlayOne();
      // Measured with the module loaded: unloading it touches pages of its own.
      if (i == options.reportRssAt || i % 5000 == 0 || i == options.events) {
        std::cout << "peak RSS after " << i << " events: " << MemoryFigures() << std::endl;
      }
    }
    failures += !game.BalancesAsExpected();
  }
  std::cout << failures << " failures" << std::endl;
  return failures == 0 ? 0 : 1;
}
