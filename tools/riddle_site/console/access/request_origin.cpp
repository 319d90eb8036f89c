#include "console/access/request_origin.h"

#include <string>

#include "console/access/console_auth.h"

namespace riddle_site {

bool NamesThisMachine(const web_server::Request& request) {
  return IsLoopbackHost(request.headers.Find("Host"));
}

bool SentFromTheConsole(const web_server::Request& request) {
  const bool tellsSite = request.headers.Has("Sec-Fetch-Site");
  const bool tellsOrigin = request.headers.Has("Origin");
  if (!tellsSite && !tellsOrigin) {
    return false;
  }
  if (tellsSite && request.headers.Find("Sec-Fetch-Site") != "same-origin") {
    return false;
  }
  if (tellsOrigin) {
    // The console may be served behind a proxy that speaks HTTPS.
    const std::string_view origin = request.headers.Find("Origin");
    const std::string_view host = request.headers.Find("Host");
    const auto named = [&](std::string_view scheme) {
      return origin.size() == scheme.size() + host.size() && origin.starts_with(scheme) &&
             web_server::SameName(origin.substr(scheme.size()), host);
    };
    return !host.empty() && (named("http://") || named("https://"));
  }
  return true;
}

}  // namespace riddle_site
