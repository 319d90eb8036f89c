#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include "server/site_platform.h"

namespace riddle_site {
namespace {

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// The thread that waits for stop signals; it ends with the program.
std::thread waiter;
std::atomic<bool> ending{false};

}  // namespace

StopRequests::StopRequests(std::function<void()> onStop) : onStop_(std::move(onStop)) {
  // Blocked before any other thread starts, so that only the waiter takes them.
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  waiter = std::thread([this, signals] {
    int signal = 0;
    sigwait(&signals, &signal);
    if (ending) {
      return;
    }
    onStop_();
    // A second Ctrl-C while stopping: the user does not want to wait.
    sigwait(&signals, &signal);
    if (!ending) {
      std::_Exit(130);
    }
  });
}

StopRequests::~StopRequests() {
  // Wakes the waiter when the program ends on its own.
  ending = true;
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
}

void UsePortAlone(socket_t sock) {
  // Only SO_REUSEADDR: the library's default also sets SO_REUSEPORT, which
  // would let a second site bind a port that is already taken.
  int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

int WaitForSocket(socket_t sock, bool forWriting, int milliseconds) {
  pollfd watched{sock, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
  const int ready = poll(&watched, 1, milliseconds);
  return ready < 0 && errno == EINTR ? 0 : ready;
}

void ShutDownSocket(socket_t sock, bool sendingOnly) {
  shutdown(sock, sendingOnly ? SHUT_WR : SHUT_RDWR);
}

std::string BundledRiddleFile() {
  return ZORVANE_BUNDLED_RIDDLES;
}

}  // namespace riddle_site
