#include "console/access/console_auth.h"

#include <charconv>
#include <random>

namespace riddle_site {
namespace {

constexpr std::size_t TokenSize = 64;  // hex digits: 256 bits

// The value of the named cookie in a Cookie header.
std::optional<std::string_view> CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const std::size_t end = std::min(header.find(';'), header.size());
    std::string_view pair = header.substr(0, end);
    header.remove_prefix(std::min(end + 1, header.size()));
    pair.remove_prefix(std::min(pair.find_first_not_of(' '), pair.size()));
    if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=') {
      return pair.substr(name.size() + 1);
    }
  }
  return std::nullopt;
}

// A token as NewToken makes them: nothing else is taken for one.
bool IsToken(std::string_view text) {
  return text.size() == TokenSize &&
         text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// A decimal number from 0 to largest, without a leading zero.
bool IsNumberUpTo(std::string_view text, unsigned largest) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
         value <= largest && (text.size() == 1 || text[0] != '0');
}

bool IsLoopbackIpv4(std::string_view address) {
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = part < 3 ? address.find('.') : address.size();
    if (dot == std::string_view::npos || !IsNumberUpTo(address.substr(0, dot), 255) ||
        (part == 0 && address.substr(0, dot) != "127")) {
      return false;
    }
    address.remove_prefix(std::min(dot + 1, address.size()));
  }
  return true;
}

bool IsLocalhost(std::string_view name) {
  constexpr std::string_view Localhost = "localhost";
  if (name.size() != Localhost.size()) {
    return false;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
    if (c != Localhost[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool IsLoopbackAddress(std::string_view address) {
  return IsLoopbackIpv4(address) || address == "::1" || IsLocalhost(address);
}

bool IsLoopbackHost(std::string_view host) {
  std::string_view name = host;
  std::string_view port;
  if (host.starts_with('[')) {
    const std::size_t close = host.find(']');
    if (close == std::string_view::npos || host.substr(1, close - 1) != "::1") {
      return false;
    }
    name = "::1";
    port = host.substr(close + 1);
  } else if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
    name = host.substr(0, colon);
    port = host.substr(colon);
    if (name == "::1" || name.empty()) {
      return false;  // an IPv6 address without its brackets
    }
  }
  if (!port.empty() && (port[0] != ':' || !IsNumberUpTo(port.substr(1), 65535))) {
    return false;
  }
  return IsLoopbackAddress(name);
}

ConsoleMode ChooseConsoleMode(std::string_view listenAddress,
                              const std::optional<std::string>& password) {
  if (password) {
    return ConsoleMode::Password;
  }
  return IsLoopbackAddress(listenAddress) ? ConsoleMode::Open : ConsoleMode::Off;
}

bool SameSecret(std::string_view a, std::string_view b) {
  unsigned char difference = a.size() == b.size() ? 0 : 1;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
  }
  return difference == 0;
}

std::string ConsoleAuth::NewToken() {
  static constexpr char Hex[] = "0123456789abcdef";
  std::random_device device;
  std::string token;
  for (std::size_t i = 0; i < TokenSize / 8; ++i) {
    const unsigned int word = device();
    for (int shift = 0; shift < 32; shift += 4) {
      token += Hex[(word >> shift) & 0xF];
    }
  }
  return token;
}

ConsoleAuth::ConsoleAuth(ConsoleMode mode, std::optional<std::string> password)
    : mode_(mode), password_(std::move(password)) {}

void ConsoleAuth::DropExpired(Clock::time_point now) {
  std::erase_if(sessions_, [&](const auto& s) { return now - s.second.started > SessionLifetime; });
}

std::optional<ConsoleSession> ConsoleAuth::SessionOf(std::string_view cookieHeader) {
  const std::optional<std::string_view> id = CookieValue(cookieHeader, SessionCookieName);
  if (!id || !IsToken(*id) || mode_ == ConsoleMode::Off) {
    return std::nullopt;
  }
  if (mode_ == ConsoleMode::Open) {
    return ConsoleSession{std::string(*id), std::string(*id)};
  }
  const std::lock_guard lock(mutex_);
  DropExpired(Clock::now());
  const auto found = sessions_.find(*id);
  if (found == sessions_.end()) {
    return std::nullopt;
  }
  return ConsoleSession{found->first, found->second.csrf};
}

ConsoleSession ConsoleAuth::OpenSession() {
  const std::string token = NewToken();
  return {token, token};
}

ConsoleSession ConsoleAuth::StartSession() {
  ConsoleSession session{NewToken(), NewToken()};
  const Clock::time_point now = Clock::now();
  DropExpired(now);
  if (sessions_.size() >= MaxSessions) {
    // Only logins make sessions: the oldest login gives way.
    auto oldest = sessions_.begin();
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
      if (it->second.started < oldest->second.started) {
        oldest = it;
      }
    }
    sessions_.erase(oldest);
  }
  sessions_.emplace(session.id, Stored{session.csrf, now});
  return session;
}

void ConsoleAuth::EndSession(std::string_view id) {
  const std::lock_guard lock(mutex_);
  if (const auto found = sessions_.find(id); found != sessions_.end()) {
    sessions_.erase(found);
  }
}

LoginResult ConsoleAuth::TryLogin(const std::string& client, std::string_view password,
                                  std::optional<ConsoleSession>& session, int& waitSeconds) {
  const std::lock_guard lock(mutex_);
  const Clock::time_point now = Clock::now();
  const Clock::duration wait = throttle_.WaitFor(client, now);
  if (wait > Clock::duration::zero()) {
    waitSeconds = static_cast<int>(std::chrono::ceil<std::chrono::seconds>(wait).count());
    return LoginResult::TooSoon;
  }
  if (!password_ || !SameSecret(password, *password_)) {
    throttle_.Failed(client, now);
    return LoginResult::Refused;
  }
  throttle_.Succeeded(client);
  session = StartSession();
  return LoginResult::Accepted;
}

std::string ConsoleAuth::CookieFor(const ConsoleSession& session) {
  return std::string(SessionCookieName) + "=" + session.id +
         "; Path=/console; HttpOnly; SameSite=Strict";
}

std::string ConsoleAuth::ExpiredCookie() {
  return std::string(SessionCookieName) + "=; Path=/console; HttpOnly; SameSite=Strict; Max-Age=0";
}

std::optional<std::string> ConsoleAuth::LoginToken(std::string_view cookieHeader) {
  const std::optional<std::string_view> token = CookieValue(cookieHeader, LoginCookieName);
  return token && IsToken(*token) ? std::optional<std::string>(*token) : std::nullopt;
}

std::string ConsoleAuth::LoginCookie(std::string_view token) {
  return std::string(LoginCookieName) + "=" + std::string(token) +
         "; Path=/console/login; HttpOnly; SameSite=Strict";
}

}  // namespace riddle_site
