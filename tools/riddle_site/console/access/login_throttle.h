// Slows down a client that guesses the console's password: a few failed
// logins cost nothing, each one after them makes the client wait longer
// before its next try (up to MaxWait), and a while without failures forgets
// them. The client is never shut out: whoever knows the password gets in
// once the short wait has passed, however often someone else guessed.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>

namespace riddle_site {

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int FreeFailures = 5;
  static constexpr std::chrono::seconds FirstWait{1};
  static constexpr std::chrono::seconds MaxWait{30};
  static constexpr std::chrono::minutes Memory{10};
  // Clients remembered at once; beyond, the one that failed least recently
  // is forgotten.
  static constexpr std::size_t MaxClients = 4096;

  // How long client must still wait before its next try; zero when it may
  // try now.
  Clock::duration WaitFor(const std::string& client, Clock::time_point now) const;

  void Failed(const std::string& client, Clock::time_point now);
  void Succeeded(const std::string& client);

 private:
  struct Failures {
    int count = 0;
    Clock::time_point last;
    Clock::time_point nextTry;
  };
  void Forget(Clock::time_point now);

  std::map<std::string, Failures> clients_;
};

}  // namespace riddle_site
