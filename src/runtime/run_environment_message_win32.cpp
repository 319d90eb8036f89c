// The modal question: a Win32 message box.
#include <windows.h>

#include "runtime/run_environment.h"

namespace zorvane {
namespace {

constexpr std::int32_t SystemModal = 0x1000;  // MB_SYSTEMMODAL
constexpr std::int32_t TaskModal = 0x2000;    // MB_TASKMODAL

std::int32_t ButtonCode(int pressed) {
  switch (pressed) {
    case IDOK:
      return 0;
    case IDCANCEL:
      return 1;
    case IDABORT:
      return 2;
    case IDRETRY:
      return 3;
    case IDIGNORE:
      return 4;
    case IDYES:
      return 5;
    case IDNO:
      return 6;
    default:  // a box that failed to appear (0) included
      return 0;
  }
}

}  // namespace

std::int32_t ShowMessage(TextView message, std::int32_t flags, std::optional<TextView> caption) {
  const Text text(UpToNul(message));
  const Text title(UpToNul(caption.value_or(DefaultMessageCaption)));
  // Task-modal unless the caller asked for system-modal: with no owner window
  // the box still holds back the calling thread's other windows.
  const std::int32_t style = (flags & SystemModal) != 0 ? flags : (flags | TaskModal);
  return ButtonCode(MessageBoxA(nullptr, text.c_str(), title.c_str(), static_cast<UINT>(style)));
}

}  // namespace zorvane
