// Lines for the terminal, written by a thread of their own: the threads
// that serve requests only append to a buffer, so that a busy site makes
// one write a moment instead of one a request, and a terminal that stops
// reading (a paused console window) never holds up a request. Lines beyond
// MaxBuffered bytes are dropped and counted instead.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace riddle_site {

class LineLog {
 public:
  static constexpr std::size_t MaxBuffered = 1024 * 1024;

  explicit LineLog(std::FILE* out);
  // Writes what is left.
  ~LineLog();
  LineLog(const LineLog&) = delete;
  LineLog& operator=(const LineLog&) = delete;

  // Adds line and a line break; any thread may call it.
  void Add(std::string_view line);
  // Returns once every line added before is written.
  void Flush();

 private:
  void WriteLoop();
  bool WriteOut(std::unique_lock<std::mutex>& lock);

  std::FILE* const out_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string buffered_;
  std::size_t dropped_ = 0;
  std::size_t added_ = 0;    // lines added, dropped ones included
  std::size_t written_ = 0;  // of them, those written or dropped
  bool ending_ = false;
  std::thread writer_;
};

}  // namespace riddle_site
