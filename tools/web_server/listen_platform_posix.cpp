#include <sys/resource.h>

#include "server_core.h"

namespace web_server {

void UsePortAlone(tcp::acceptor& acceptor) {
  // Only SO_REUSEADDR: SO_REUSEPORT would let a second server bind a port
  // that is taken already.
  boost::system::error_code ignored;
  acceptor.set_option(asio::socket_base::reuse_address(true), ignored);
}

void AllowOpenConnections(std::size_t connections) {
  // Each connection is a file descriptor; the soft limit (often 1024) is
  // raised as far as the hard limit allows, with some room for files.
  constexpr rlim_t Room = 64;
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= connections + Room) {
    return;
  }
  limit.rlim_cur = limit.rlim_max == RLIM_INFINITY
                       ? static_cast<rlim_t>(connections + Room)
                       : std::min<rlim_t>(limit.rlim_max, connections + Room);
  setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace web_server
