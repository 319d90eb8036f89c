#include "console/console_auth.h"

#include <random>

namespace riddle_site {
namespace {

std::string RandomToken() {
  static constexpr char Hex[] = "0123456789abcdef";
  std::random_device device;
  std::string token;
  for (int i = 0; i < 8; ++i) {
    const unsigned int word = device();
    for (int shift = 0; shift < 32; shift += 4) {
      token += Hex[(word >> shift) & 0xF];
    }
  }
  return token;  // 256 bits
}

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

}  // namespace

bool IsLoopbackAddress(std::string_view address) {
  return address.starts_with("127.") || address == "::1" || address == "localhost" ||
         address == "::ffff:127.0.0.1";
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

ConsoleAuth::ConsoleAuth(ConsoleMode mode, std::optional<std::string> password)
    : mode_(mode), password_(std::move(password)) {}

void ConsoleAuth::DropExpired(Clock::time_point now) {
  std::erase_if(sessions_, [&](const auto& s) { return now - s.second.started > SessionLifetime; });
  std::erase_if(failures_, [&](const auto& f) { return now - f.second.first > FailureWindow; });
}

std::optional<ConsoleSession> ConsoleAuth::SessionOf(std::string_view cookieHeader) {
  const std::optional<std::string_view> id = CookieValue(cookieHeader, SessionCookieName);
  if (!id) {
    return std::nullopt;
  }
  const std::lock_guard lock(mutex_);
  DropExpired(Clock::now());
  const auto found = sessions_.find(*id);
  if (found == sessions_.end()) {
    return std::nullopt;
  }
  return ConsoleSession{found->first, found->second.csrf};
}

ConsoleSession ConsoleAuth::StartSession() {
  ConsoleSession session{RandomToken(), RandomToken()};
  const std::lock_guard lock(mutex_);
  const Clock::time_point now = Clock::now();
  DropExpired(now);
  if (sessions_.size() >= MaxSessions) {
    // The oldest session gives way; an open console makes one per browser.
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

LoginResult ConsoleAuth::TryLogin(const std::string& client, std::string_view password) {
  const std::lock_guard lock(mutex_);
  const Clock::time_point now = Clock::now();
  DropExpired(now);
  Failures& failures = failures_[client];
  if (failures.count >= AllowedFailures) {
    return LoginResult::TooManyTries;
  }
  if (password_ && SameSecret(password, *password_)) {
    failures_.erase(client);
    return LoginResult::Accepted;
  }
  if (failures.count++ == 0) {
    failures.first = now;
  }
  return LoginResult::Refused;
}

std::string ConsoleAuth::CookieFor(const ConsoleSession& session) {
  return std::string(SessionCookieName) + "=" + session.id +
         "; Path=/console; HttpOnly; SameSite=Strict";
}

std::string ConsoleAuth::ExpiredCookie() {
  return std::string(SessionCookieName) + "=; Path=/console; HttpOnly; SameSite=Strict; Max-Age=0";
}

}  // namespace riddle_site
