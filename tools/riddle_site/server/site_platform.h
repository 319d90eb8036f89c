// What the riddle site needs from the system, one file per platform.
#pragma once

#include <httplib.h>

#include <functional>
#include <string>

namespace riddle_site {

// Calls onStop once when the user presses Ctrl-C or the system asks the
// program to end, instead of ending it at once; a second request ends the
// program at once (status 130). Create it before the server starts any thread.
class StopRequests {
 public:
  explicit StopRequests(std::function<void()> onStop);
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

 private:
  std::function<void()> onStop_;
};

// The listening socket's options: the address may be reused after a restart,
// but a port that another program holds is never shared, so that a second
// site on a taken port fails instead of splitting the requests.
void UsePortAlone(socket_t sock);

// Waits up to milliseconds for sock to become readable (or writable): 1 when
// it is, 0 when the time ran out, -1 on an error.
int WaitForSocket(socket_t sock, bool forWriting, int milliseconds);

// Shuts down sending only, or both directions; a thread blocked on the
// socket then wakes.
void ShutDownSocket(socket_t sock, bool sendingOnly);

// The riddle collection that comes with the site.
std::string BundledRiddleFile();

}  // namespace riddle_site
