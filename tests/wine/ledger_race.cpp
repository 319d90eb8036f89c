// The ledger shared by the game and the sign-in module in one host process.
// Loads zorvane.dll and zorvane-signin.dll from its own folder, as a chat
// robot host does, with a ledger of 50 members holding 2000 each. The host's
// event thread sends wrong guesses through Zorvane, member after member,
// while a second thread, as a host that runs the sign-in module on a thread
// of its own, signs the same member in through ZorvaneSignin: each sign-in
// starts while a guess is running, at a random point of it. A member signs
// in once a day, so before each sign-in the race takes the member's day back
// through the private-profile API, as if a day had passed.
//
//   ledger_race race ROUNDS   -> "race ROUNDS LOST-SIGN-INS LOST-CHARGES MISSING LEFTOVERS"
//                                exit 0 when every sign-in and every charge
//                                is in the balances, no key went missing or
//                                was changed by a module that does not own
//                                it, and no temporary was left
//   ledger_race cost MEMBERS  -> "cost MEMBERS MICROSECONDS" per wrong guess (median of 200)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <string>
#include <vector>

#include "game/contract.h"
#include "game/game_state.h"
#include "game/ledger.h"
#include "host/zorvane_module.h"
#include "signin/daily_signin.h"
#include "signin/signin_replies.h"

namespace {

using namespace zorvane;
using host::ZorvaneFunction;

const std::string Group = "7001";
constexpr int FirstMember = 200001;
constexpr int RaceMembers = 50;
constexpr int StartBalance = 2000;
// Another sign-in module's count, which the game must leave alone.
const std::string CounterKey = "签到次数";
// The open riddle's answer, which no guess of the race holds.
const std::string OpenAnswer = "灯笼";

std::string Folder;  // this program's folder, the host's run directory

std::string LedgerPath() {
  return std::string(LedgerFilePath(Folder, Group));
}

std::string Section(int member) {
  return std::string(LedgerSection(std::to_string(member), Group));
}

std::string FolderOfProgram() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\'));
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// A fresh ledger of members sections, CRLF lines as the sign-in module
// writes them, and an open riddle for the group.
void Prepare(int members) {
  CreateDirectoryA(std::string(LedgerFolderPath(Folder)).c_str(), nullptr);
  CreateDirectoryA(std::string(GameFolderPath(Folder)).c_str(), nullptr);
  std::string ledger;
  for (int i = 0; i < members; ++i) {
    ledger.append("[").append(Section(FirstMember + i)).append("]\r\n");
    ledger.append(BalanceKey).append("=").append(std::to_string(StartBalance)).append("\r\n");
    ledger.append(CounterKey).append("=0\r\n");
  }
  WriteWholeFile(LedgerPath(), ledger);
  std::string state = "[";
  state.append(StateSection).append("]\r\n");
  state.append(CurrentPathKey).append("=").append(InitialRiddlePath).append("\r\n");
  state.append(AnswerKey).append("=").append(OpenAnswer).append("\r\n");
  WriteWholeFile(std::string(StateFilePath(Folder, Group)), state);
}

std::string ReadKey(int member, TextView key) {
  char value[64] = {};
  GetPrivateProfileStringA(Section(member).c_str(), std::string(key).c_str(), "", value,
                           sizeof value, LedgerPath().c_str());
  return value;
}

// The event export of a module beside this program, loaded for the rest of
// its run.
ZorvaneFunction LoadModule(const char* file, const char* eventExport) {
  static std::list<host::ZorvaneModule> loaded;
  const host::ZorvaneModule& module = loaded.emplace_back(Folder + "\\" + file, eventExport);
  if (!module.loaded()) {
    std::fprintf(stderr, "%s\n", module.error().c_str());
    std::exit(2);
  }
  return module.zorvane();
}

ZorvaneFunction LoadGame() {
  static const ZorvaneFunction game = LoadModule("zorvane.dll", host::GameEventExport);
  return game;
}

// The amount that a reply announces after head, or -1 for any other reply.
int AmountOf(const char* reply, TextView head) {
  const std::string text = reply ? reply : "";
  if (!TextView(text).starts_with(head)) {
    return -1;
  }
  return std::atoi(text.c_str() + head.size());
}

int PenaltyOf(const char* reply) {
  return AmountOf(reply, WrongGuessReplyHead);
}

long long Microseconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return now.QuadPart * 1000000 / frequency.QuadPart;
}

// The sign-in side of the race. The thread waits for each guess to begin,
// waits a random part of the last guess's duration, then takes the member's
// day back and signs them in through the module, noting what it paid.
struct SigninSide {
  HANDLE guessStarted = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE signedIn = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::atomic<long long> lastGuessMicroseconds{1000};
  ZorvaneFunction signin = LoadModule("zorvane-signin.dll", host::SigninEventExport);
  int rounds = 0;
  int paid = 0;  // this round's payment, -1 when the sign-in failed

  void Run() {
    for (int i = 0; i < rounds; ++i) {
      WaitForSingleObject(guessStarted, INFINITE);
      const long long until = Microseconds() + std::rand() % (lastGuessMicroseconds + 1);
      while (Microseconds() < until) {
      }
      const int member = FirstMember + i % RaceMembers;
      WritePrivateProfileStringA(Section(member).c_str(), std::string(LastSigninDayKey).c_str(),
                                 nullptr, LedgerPath().c_str());
      paid = AmountOf(signin("签到", "2", Group.c_str(), std::to_string(member).c_str(), ""),
                      SigninPaidReplyHead);
      SetEvent(signedIn);
    }
  }
  static DWORD WINAPI Start(void* self) {
    static_cast<SigninSide*>(self)->Run();
    return 0;
  }
};

int Leftovers() {
  int count = 0;
  WIN32_FIND_DATAA found;
  const HANDLE search =
      FindFirstFileA((std::string(LedgerFolderPath(Folder)) + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return 0;
  }
  do {
    count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count - 1;  // the ledger itself
}

int Race(int rounds) {
  Prepare(RaceMembers);
  const ZorvaneFunction zorvane = LoadGame();
  SigninSide signin;
  signin.rounds = rounds;
  const HANDLE thread = CreateThread(nullptr, 0, SigninSide::Start, &signin, 0, nullptr);

  std::vector<int> expected(RaceMembers, StartBalance);
  int lostSignins = 0;
  int lostCharges = 0;
  int missing = 0;
  for (int i = 0; i < rounds; ++i) {
    const int m = i % RaceMembers;
    const std::string member = std::to_string(FirstMember + m);
    SetEvent(signin.guessStarted);
    const long long start = Microseconds();
    const int penalty = PenaltyOf(zorvane("猜一个", "2", Group.c_str(), member.c_str(), ""));
    signin.lastGuessMicroseconds = Microseconds() - start;
    WaitForSingleObject(signin.signedIn, INFINITE);
    // The balance afterwards must hold both changes; a refused guess or a
    // failed sign-in counts as lost, and so does each change missing from it.
    const std::string balance = ReadKey(FirstMember + m, BalanceKey);
    missing += balance.empty();
    const int now = std::atoi(balance.c_str());
    const int charged = std::max(penalty, 0);
    const int paid = std::max(signin.paid, 0);
    const bool bothIn = now == expected[m] - charged + paid;
    lostCharges += penalty < 0 || (!bothIn && now != expected[m] - charged);
    lostSignins += signin.paid < 0 || (!bothIn && now != expected[m] + paid);
    expected[m] = now;
  }
  WaitForSingleObject(thread, INFINITE);
  for (int m = 0; m < RaceMembers; ++m) {
    const std::string balance = ReadKey(FirstMember + m, BalanceKey);
    // Neither module touches the other sign-in module's key.
    missing += balance.empty() || ReadKey(FirstMember + m, CounterKey) != "0";
    lostCharges += !balance.empty() && balance != std::to_string(expected[m]);
  }
  const int leftovers = Leftovers();
  std::printf("race %d %d %d %d %d\n", rounds, lostSignins, lostCharges, missing, leftovers);
  const bool sound = lostSignins == 0 && lostCharges == 0 && missing == 0 && leftovers == 0;
  return sound ? 0 : 1;
}

// The wrong guess of the last member in a ledger of members, alone.
int Cost(int members) {
  Prepare(members);
  const ZorvaneFunction zorvane = LoadGame();
  const std::string member = std::to_string(FirstMember + members - 1);
  std::vector<long long> times;
  for (int i = 0; i < 200; ++i) {
    const long long start = Microseconds();
    if (PenaltyOf(zorvane("猜一个", "2", Group.c_str(), member.c_str(), "")) < 0) {
      std::printf("cost %d refused\n", members);
      return 1;
    }
    times.push_back(Microseconds() - start);
  }
  std::nth_element(times.begin(), times.begin() + 100, times.end());
  std::printf("cost %d %lld\n", members, times[100]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Folder = FolderOfProgram();
  const std::string mode = argc > 1 ? argv[1] : "";
  const int count = argc > 2 ? std::atoi(argv[2]) : 0;
  std::srand(GetTickCount());
  if (mode == "race" && count > 0) {
    return Race(count);
  }
  if (mode == "cost" && count > 0) {
    return Cost(count);
  }
  std::fprintf(stderr, "usage: ledger_race race ROUNDS | cost MEMBERS\n");
  return 2;
}
