#include <windows.h>

#include <cstring>

#include "runtime/fatal_stop.h"

namespace zorvane {
namespace {

// Appends bytes to a fixed buffer, cutting what does not fit.
class StackText {
 public:
  void Append(std::string_view bytes) {
    const std::size_t room = sizeof buffer_ - 1 - length_;
    const std::size_t n = bytes.size() < room ? bytes.size() : room;
    std::memcpy(buffer_ + length_, bytes.data(), n);
    length_ += n;
    buffer_[length_] = '\0';
  }
  const char* c_str() const { return buffer_; }

 private:
  char buffer_[2048] = {};
  std::size_t length_ = 0;
};

}  // namespace

void FatalStop(std::string_view message) {
  StackText text;  // not on the heap, which has just refused
  text.Append("运行时出错!\r\n\r\n错误信息：");
  text.Append(message);
  text.Append("\r\n");
  MessageBoxA(nullptr, text.c_str(), "错误", MB_OK | MB_ICONERROR);
  // Ends the process without detaching the module, so its unload hook does not run.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
  for (;;) {
  }
}

}  // namespace zorvane
