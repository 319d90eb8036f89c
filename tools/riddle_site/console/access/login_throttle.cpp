#include "console/access/login_throttle.h"

#include <algorithm>

namespace riddle_site {

LoginThrottle::Clock::duration LoginThrottle::WaitFor(const std::string& client,
                                                      Clock::time_point now) const {
  const auto found = clients_.find(client);
  if (found == clients_.end() || now - found->second.last > Memory ||
      found->second.nextTry <= now) {
    return Clock::duration::zero();
  }
  return found->second.nextTry - now;
}

void LoginThrottle::Failed(const std::string& client, Clock::time_point now) {
  Forget(now);
  Failures& failures = clients_[client];
  failures.last = now;
  const int beyond = ++failures.count - FreeFailures;
  if (beyond > 0) {
    // 1, 2, 4 ... seconds, up to MaxWait.
    const auto wait = FirstWait * (1LL << std::min(beyond - 1, 16));
    failures.nextTry = now + std::min<Clock::duration>(wait, MaxWait);
  }
}

void LoginThrottle::Succeeded(const std::string& client) {
  clients_.erase(client);
}

void LoginThrottle::Forget(Clock::time_point now) {
  std::erase_if(clients_, [now](const auto& entry) { return now - entry.second.last > Memory; });
  while (clients_.size() >= MaxClients) {
    clients_.erase(std::min_element(
        clients_.begin(), clients_.end(),
        [](const auto& a, const auto& b) { return a.second.last < b.second.last; }));
  }
}

}  // namespace riddle_site
