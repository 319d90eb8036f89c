// The listener and the threads: connections are accepted one at a time on
// a strand of their own, counted against the caps, and each is served on a
// strand of the shared I/O context, which a few threads run.
#include <boost/asio/dispatch.hpp>

#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "server_core.h"

namespace web_server {
namespace {

using boost::system::error_code;

// How long the listener rests after a failed accept (e.g. out of file
// descriptors) before it tries again, instead of spinning.
constexpr std::chrono::milliseconds AcceptRetryDelay{100};

// An IPv4 client of an IPv6 socket counts as the IPv4 address it is.
asio::ip::address ClientAddress(const tcp::endpoint& peer) {
  const asio::ip::address address = peer.address();
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
  }
  return address;
}

void Accept(ServerCore& core);

void OnAccept(ServerCore& core, const error_code& error, tcp::socket socket) {
  if (error == asio::error::operation_aborted || core.stopping) {
    return;
  }
  if (error) {
    core.acceptRetry->expires_after(AcceptRetryDelay);
    core.acceptRetry->async_wait([&core](const error_code& waited) {
      if (!waited) {
        Accept(core);
      }
    });
    return;
  }
  error_code unknown;
  const tcp::endpoint endpoint = socket.remote_endpoint(unknown);
  const tcp::endpoint peer(ClientAddress(endpoint), endpoint.port());
  // Beyond a cap the socket is closed as it goes out of scope.
  if (Admission admission = unknown ? Admission() : core.connections.Admit(peer.address())) {
    ServeConnection(core, std::move(socket), peer, std::move(admission));
  }
  Accept(core);
}

void Accept(ServerCore& core) {
  core.acceptor->async_accept(asio::make_strand(*core.io),
                              [&core](const error_code& error, tcp::socket socket) {
                                OnAccept(core, error, std::move(socket));
                              });
}

}  // namespace

Admission::Admission(Admission&& other) noexcept
    : counter_(std::exchange(other.counter_, nullptr)), address_(other.address_) {}

Admission::~Admission() {
  if (counter_ != nullptr) {
    counter_->Release(address_);
  }
}

Admission ConnectionCounter::Admit(const asio::ip::address& address) {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::size_t& fromAddress = openFrom_[address];
  if (open_ >= total_ || fromAddress >= perAddress_) {
    if (fromAddress == 0) {
      openFrom_.erase(address);
    }
    return {};
  }
  ++open_;
  ++fromAddress;
  return Admission(this, address);
}

void ConnectionCounter::Release(const asio::ip::address& address) {
  const std::lock_guard<std::mutex> lock(mutex_);
  --open_;
  const auto found = openFrom_.find(address);
  if (--found->second == 0) {
    openFrom_.erase(found);
  }
}

ServerCore::ServerCore(Options options_, Hooks hooks_)
    : options(std::move(options_)),
      hooks(std::move(hooks_)),
      connections(options.maxConnectionsPerAddress, options.maxConnections) {
  io.emplace();
  acceptor.emplace(asio::make_strand(*io));
  acceptRetry.emplace(acceptor->get_executor());
  workers.emplace(std::max(1U, options.blockingWorkers));
}

Server::Server(Options options, Hooks hooks)
    : core_(std::make_unique<ServerCore>(std::move(options), std::move(hooks))) {}

Server::~Server() {
  Stop();
}

std::optional<int> Server::Listen(const std::string& address, int port) {
  error_code error;
  const asio::ip::address ip = asio::ip::make_address(address, error);
  if (error || port < 0 || port > 65535 || core_->acceptor->is_open()) {
    return std::nullopt;
  }
  const tcp::endpoint endpoint(ip, static_cast<unsigned short>(port));
  tcp::acceptor& acceptor = *core_->acceptor;
  acceptor.open(endpoint.protocol(), error);
  if (!error) {
    UsePortAlone(acceptor);
    acceptor.bind(endpoint, error);
  }
  if (!error) {
    acceptor.listen(asio::socket_base::max_listen_connections, error);
  }
  const tcp::endpoint bound = error ? tcp::endpoint() : acceptor.local_endpoint(error);
  if (error) {
    acceptor.close(error);
    return std::nullopt;
  }
  AllowOpenConnections(core_->options.maxConnections);
  return bound.port();
}

void Server::Run() {
  ServerCore& core = *core_;
  if (!core.io) {
    return;  // ran already
  }
  if (core.acceptor->is_open()) {
    asio::dispatch(core.acceptor->get_executor(), [&core] { Accept(core); });
  }
  const unsigned threads = core.options.ioThreads != 0
                               ? core.options.ioThreads
                               : std::max(1U, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < threads; ++i) {
    helpers.emplace_back([&core] { core.io->run(); });
  }
  core.io->run();
  for (std::thread& helper : helpers) {
    helper.join();
  }
  // Running handlers finish; queued ones are dropped with their
  // connections. Then every connection still open is closed as the
  // operations that hold it are destroyed.
  core.workers->stop();
  core.workers->join();
  const std::lock_guard<std::mutex> lock(core.lifetimeMutex);
  core.workers.reset();
  core.acceptRetry.reset();
  core.acceptor.reset();
  core.io.reset();
}

void Server::Stop() {
  ServerCore& core = *core_;
  core.stopping = true;
  const std::lock_guard<std::mutex> lock(core.lifetimeMutex);
  if (core.io) {
    core.io->stop();
  }
}

}  // namespace web_server
