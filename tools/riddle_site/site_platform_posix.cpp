#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <thread>

#include "site_platform.h"

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

// The thread that waits for a stop signal; it ends with the program.
std::thread waiter;

}  // namespace

StopRequests::StopRequests(std::function<void()> onStop) : onStop_(std::move(onStop)) {
  // Blocked before any other thread starts, so that only the waiter takes them.
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  waiter = std::thread([this, signals] {
    int signal = 0;
    sigwait(&signals, &signal);
    onStop_();
  });
}

StopRequests::~StopRequests() {
  // Wakes the waiter when the program ends on its own.
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
}

void UsePortAlone(socket_t sock) {
  // Only SO_REUSEADDR: the library's default also sets SO_REUSEPORT, which
  // would let a second site bind a port that is already taken.
  int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

std::string BundledRiddleFile() {
  return ZORVANE_BUNDLED_RIDDLES;
}

}  // namespace riddle_site
