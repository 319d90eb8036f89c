#include <pthread.h>
#include <signal.h>

#include <atomic>
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

std::string BundledRiddleFile() {
  return ZORVANE_BUNDLED_RIDDLES;
}

}  // namespace riddle_site
