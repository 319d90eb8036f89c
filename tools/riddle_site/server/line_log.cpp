#include "server/line_log.h"

#include <chrono>

namespace riddle_site {
namespace {

// How long a line may wait in the buffer.
constexpr std::chrono::milliseconds WriteEvery{50};

}  // namespace

LineLog::LineLog(std::FILE* out) : out_(out), writer_([this] { WriteLoop(); }) {}

LineLog::~LineLog() {
  {
    const std::lock_guard lock(mutex_);
    ending_ = true;
  }
  wake_.notify_all();
  writer_.join();
}

void LineLog::Add(std::string_view line) {
  const std::lock_guard lock(mutex_);
  ++added_;
  if (buffered_.size() + line.size() + 1 > MaxBuffered) {
    ++dropped_;
    return;
  }
  buffered_.append(line);
  buffered_ += '\n';
}

void LineLog::Flush() {
  std::unique_lock lock(mutex_);
  const std::size_t target = added_;
  wake_.notify_all();
  wake_.wait(lock, [&] { return written_ >= target || ending_; });
}

void LineLog::WriteLoop() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait_for(lock, WriteEvery, [this] { return ending_; });
    const bool ending = ending_;
    WriteOut(lock);
    wake_.notify_all();
    if (ending) {
      return;
    }
  }
}

// Writes the buffer out with the lock let go meanwhile; false when there
// was nothing to write.
bool LineLog::WriteOut(std::unique_lock<std::mutex>& lock) {
  if (buffered_.empty() && dropped_ == 0) {
    written_ = added_;
    return false;
  }
  std::string lines;
  lines.swap(buffered_);
  if (dropped_ > 0) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) of a
    // literal added to a temporary string.
    lines += '(';
    lines += std::to_string(dropped_);
    lines += " log lines dropped: the terminal did not keep up)\n";
    dropped_ = 0;
  }
  const std::size_t covered = added_;
  lock.unlock();
  std::fwrite(lines.data(), 1, lines.size(), out_);
  std::fflush(out_);
  lock.lock();
  written_ = covered;
  return true;
}

}  // namespace riddle_site
