// Who the console lets in: the names of this machine, and a guesser slowed
// down without shutting anyone out.
#include <gtest/gtest.h>

#include "console/access/console_auth.h"
#include "console/access/login_throttle.h"

namespace riddle_site {
namespace {

TEST(ConsoleAccess, OnlyAnExactNameOfThisMachineIsTakenForIt) {
  const struct {
    const char* host;
    bool loopback;
  } cases[] = {
      {"127.0.0.1", true},
      {"127.0.0.1:8723", true},
      {"127.255.3.4:1", true},
      {"localhost", true},
      {"LocalHost:8723", true},
      {"[::1]", true},
      {"[::1]:8723", true},
      // Names that a web site can point at this machine, or that merely
      // start like one of its names.
      {"127.0.0.1.evil.example", false},
      {"127.0.0.1.evil.example:8723", false},
      {"127.evil.example", false},
      {"localhost.evil.example", false},
      {"localhost.", false},
      {"[::1].evil.example", false},
      {"[::1]x", false},
      // Not written as an address exactly.
      {"127.1", false},
      {"127.0.0.01", false},
      {"127.0.0.256", false},
      {"0x7f.0.0.1", false},
      {"::1", false},
      {"[::ffff:127.0.0.1]", false},
      {"128.0.0.1", false},
      {"", false},
      // Ports that are none.
      {"127.0.0.1:", false},
      {"127.0.0.1:65536", false},
      {"127.0.0.1:80:80", false},
      {"localhost:8723x", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsLoopbackHost(c.host), c.loopback) << c.host;
  }
  EXPECT_EQ(ChooseConsoleMode("127.0.0.2", std::nullopt), ConsoleMode::Open);
  EXPECT_EQ(ChooseConsoleMode("127.0.0.1.example", std::nullopt), ConsoleMode::Off);
  EXPECT_EQ(ChooseConsoleMode("0.0.0.0", std::nullopt), ConsoleMode::Off);
}

TEST(ConsoleAccess, FailuresSlowTheClientDownAndAreForgottenInTime) {
  using Clock = LoginThrottle::Clock;
  using std::chrono::seconds;
  LoginThrottle throttle;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < LoginThrottle::FreeFailures; ++i) {
    throttle.Failed("guesser", start);
    EXPECT_EQ(throttle.WaitFor("guesser", start), Clock::duration::zero()) << i;
  }
  // Each failure beyond the free ones doubles the wait, up to its cap.
  Clock::time_point now = start;
  for (const int wait : {1, 2, 4, 8, 16, 30, 30}) {
    throttle.Failed("guesser", now);
    EXPECT_EQ(throttle.WaitFor("guesser", now), seconds(wait));
    now += seconds(wait);
    EXPECT_EQ(throttle.WaitFor("guesser", now), Clock::duration::zero());
  }
  // Another client is not held up by the guesser.
  EXPECT_EQ(throttle.WaitFor("operator", now), Clock::duration::zero());
  // A quiet while wipes the slate; so does a success.
  throttle.Failed("guesser", now);
  now += LoginThrottle::Memory + seconds(1);
  throttle.Failed("guesser", now);
  EXPECT_EQ(throttle.WaitFor("guesser", now), Clock::duration::zero());
  for (int i = 0; i < LoginThrottle::FreeFailures; ++i) {
    throttle.Failed("guesser", now);
  }
  EXPECT_GT(throttle.WaitFor("guesser", now), Clock::duration::zero());
  throttle.Succeeded("guesser");
  EXPECT_EQ(throttle.WaitFor("guesser", now), Clock::duration::zero());
}

}  // namespace
}  // namespace riddle_site
