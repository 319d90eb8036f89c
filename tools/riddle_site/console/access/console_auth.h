// Who may use the console: open on a loopback address without a password;
// with a password, only after logging in; otherwise off.
//
// A browser's session is a cookie that scripts cannot read and other sites
// do not send, and its token, which every form that changes something
// carries in its body. An open console keeps nothing per browser: its
// cookie is the token itself, so that no number of clients can push a
// browser's session out. With a password only a login makes a session, and
// a login form carries a token of its own (its cookie's value, likewise).
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "console/access/login_throttle.h"

namespace riddle_site {

enum class ConsoleMode { Open, Password, Off };

// Open for a loopback listen address without a password, Password when
// there is one, Off otherwise.
ConsoleMode ChooseConsoleMode(std::string_view listenAddress,
                              const std::optional<std::string>& password);

// An address of this machine written exactly: an IPv4 address in
// 127.0.0.0/8 as four decimal numbers, "::1" or "localhost".
bool IsLoopbackAddress(std::string_view address);

// A Host header that names this machine as IsLoopbackAddress does ("[::1]"
// in brackets), with an optional port.
bool IsLoopbackHost(std::string_view host);

inline constexpr char SessionCookieName[] = "zorvane_console";
inline constexpr char LoginCookieName[] = "zorvane_login";

struct ConsoleSession {
  std::string id;    // the cookie's value
  std::string csrf;  // the token that forms carry
};

enum class LoginResult { Accepted, Refused, TooSoon };

class ConsoleAuth {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::hours SessionLifetime{12};
  static constexpr std::size_t MaxSessions = 256;

  ConsoleAuth(ConsoleMode mode, std::optional<std::string> password);

  ConsoleMode mode() const { return mode_; }

  // The live session named by a Cookie header, if any.
  std::optional<ConsoleSession> SessionOf(std::string_view cookieHeader);

  // A new session for an open console; nothing is kept of it.
  static ConsoleSession OpenSession();

  void EndSession(std::string_view id);

  // Checks a login from client. A client that failed too often must wait a
  // while between tries (LoginThrottle); waitSeconds then tells how long.
  // An accepted login starts a session.
  LoginResult TryLogin(const std::string& client, std::string_view password,
                       std::optional<ConsoleSession>& session, int& waitSeconds);

  // The Set-Cookie value for a session, and one that ends it.
  static std::string CookieFor(const ConsoleSession& session);
  static std::string ExpiredCookie();

  // The login form's token, from a Cookie header, or nullopt; and the
  // Set-Cookie value that gives a browser a new one.
  static std::optional<std::string> LoginToken(std::string_view cookieHeader);
  static std::string LoginCookie(std::string_view token);
  static std::string NewToken();

 private:
  struct Stored {
    std::string csrf;
    Clock::time_point started;
  };

  void DropExpired(Clock::time_point now);
  ConsoleSession StartSession();

  const ConsoleMode mode_;
  const std::optional<std::string> password_;
  std::mutex mutex_;
  std::map<std::string, Stored, std::less<>> sessions_;
  LoginThrottle throttle_;
};

// Equal texts, compared in a time that does not tell where they differ.
bool SameSecret(std::string_view a, std::string_view b);

}  // namespace riddle_site
