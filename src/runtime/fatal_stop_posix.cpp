#include <unistd.h>

#include "runtime/fatal_stop.h"

namespace zorvane {
namespace {

void WriteToStandardError(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(STDERR_FILENO, bytes.data(), bytes.size());
    if (written <= 0) {
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

void FatalStop(std::string_view message) {
  // A host process has no message box of its own here: the text goes to
  // standard error, piece by piece, without touching the heap.
  WriteToStandardError("运行时出错!\r\n\r\n错误信息：");
  WriteToStandardError(message);
  WriteToStandardError("\r\n");
  // _exit skips the unload hook and every other destructor.
  ::_exit(-1);
}

}  // namespace zorvane
