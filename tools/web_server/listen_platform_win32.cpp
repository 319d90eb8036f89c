#include "server_core.h"

namespace web_server {

void UsePortAlone(tcp::acceptor& acceptor) {
  // SO_REUSEADDR would let another program take the port over on Windows;
  // exclusive use makes a second server on a taken port fail instead.
  BOOL yes = TRUE;
  setsockopt(acceptor.native_handle(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&yes), sizeof(yes));
}

void AllowOpenConnections(std::size_t) {
  // Windows does not cap sockets per process.
}

}  // namespace web_server
