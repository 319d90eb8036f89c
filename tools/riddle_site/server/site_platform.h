// What the riddle site needs from the system, one file per platform.
#pragma once

#include <functional>
#include <string>

namespace riddle_site {

// Calls onStop once when the user presses Ctrl-C or the system asks the
// program to end, instead of ending it at once; a second request ends the
// program at once (status 130). Create it before any other thread starts.
class StopRequests {
 public:
  explicit StopRequests(std::function<void()> onStop);
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

 private:
  std::function<void()> onStop_;
};

// The riddle collection that comes with the site.
std::string BundledRiddleFile();

}  // namespace riddle_site
