// Who may use the console: open on a loopback address without a password;
// with a password, only after logging in; otherwise off. A login gives a
// session (a cookie that scripts cannot read and other sites do not send)
// with its own token, which every change must carry.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace riddle_site {

enum class ConsoleMode { Open, Password, Off };

// Open for a loopback listen address without a password, Password when
// there is one, Off otherwise.
ConsoleMode ChooseConsoleMode(std::string_view listenAddress,
                              const std::optional<std::string>& password);

bool IsLoopbackAddress(std::string_view address);

inline constexpr char SessionCookieName[] = "zorvane_console";

struct ConsoleSession {
  std::string id;    // the cookie's value
  std::string csrf;  // the token that forms carry
};

enum class LoginResult { Accepted, Refused, TooManyTries };

class ConsoleAuth {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int AllowedFailures = 5;  // per client address and window
  static constexpr std::chrono::minutes FailureWindow{10};
  static constexpr std::chrono::hours SessionLifetime{12};
  static constexpr std::size_t MaxSessions = 256;

  ConsoleAuth(ConsoleMode mode, std::optional<std::string> password);

  ConsoleMode mode() const { return mode_; }

  // The live session named by a Cookie header, if any.
  std::optional<ConsoleSession> SessionOf(std::string_view cookieHeader);

  // A new session (open consoles get one without a login).
  ConsoleSession StartSession();

  void EndSession(std::string_view id);

  // Checks a login; a client with too many failures in the window is not
  // even checked until the window has passed.
  LoginResult TryLogin(const std::string& client, std::string_view password);

  // The Set-Cookie value for a session, and one that ends it.
  static std::string CookieFor(const ConsoleSession& session);
  static std::string ExpiredCookie();

 private:
  struct Stored {
    std::string csrf;
    Clock::time_point started;
  };
  struct Failures {
    int count = 0;
    Clock::time_point first;
  };

  void DropExpired(Clock::time_point now);

  const ConsoleMode mode_;
  const std::optional<std::string> password_;
  std::mutex mutex_;
  std::map<std::string, Stored, std::less<>> sessions_;
  std::map<std::string, Failures> failures_;
};

// Equal texts, compared in a time that does not tell where they differ.
bool SameSecret(std::string_view a, std::string_view b);

}  // namespace riddle_site
