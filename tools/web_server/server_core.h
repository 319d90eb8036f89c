// Inside the server: what the listener, the connections and the platform
// files share. Only the server's own sources include this header, which
// brings in Asio.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>

#include <atomic>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>

#include "web_server.h"

namespace web_server {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

class ConnectionCounter;

// A connection's place under the caps, given back when it is destroyed.
class Admission {
 public:
  Admission() = default;
  Admission(ConnectionCounter* counter, asio::ip::address address)
      : counter_(counter), address_(address) {}
  Admission(Admission&& other) noexcept;
  Admission& operator=(Admission&&) = delete;
  ~Admission();

  explicit operator bool() const { return counter_ != nullptr; }

 private:
  ConnectionCounter* counter_ = nullptr;
  asio::ip::address address_;
};

// Open connections, in all and per client address.
class ConnectionCounter {
 public:
  ConnectionCounter(std::size_t perAddress, std::size_t total)
      : perAddress_(perAddress), total_(total) {}

  // An admission while both caps have room, else an empty one.
  Admission Admit(const asio::ip::address& address);

 private:
  friend class Admission;
  void Release(const asio::ip::address& address);

  const std::size_t perAddress_;
  const std::size_t total_;
  std::mutex mutex_;
  std::size_t open_ = 0;
  std::map<asio::ip::address, std::size_t> openFrom_;
};

// The server's state. The members are destroyed in the order that lets
// whatever still holds a connection let go of it: the workers' queue first,
// then the pending operations of the I/O context.
struct ServerCore {
  ServerCore(Options options, Hooks hooks);

  const Options options;
  const Hooks hooks;
  ConnectionCounter connections;
  std::atomic<bool> stopping{false};

  std::mutex lifetimeMutex;  // guards io's end against a late Stop
  std::optional<asio::io_context> io;
  std::optional<tcp::acceptor> acceptor;
  std::optional<asio::steady_timer> acceptRetry;
  std::optional<asio::thread_pool> workers;
};

// Serves the requests of one accepted connection until it closes.
void ServeConnection(ServerCore& core, tcp::socket socket, const tcp::endpoint& peer,
                     Admission admission);

// The platform's listening socket options: the address may be reused after
// a restart, but a port that another program holds is never shared.
void UsePortAlone(tcp::acceptor& acceptor);

// Lets the process hold at least connections sockets where the system caps
// them per process and allows more.
void AllowOpenConnections(std::size_t connections);

}  // namespace web_server
