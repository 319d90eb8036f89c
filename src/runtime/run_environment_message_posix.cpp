// The modal question on a POSIX desktop. A host process has no message box of
// its own, so the question goes to zenity when a graphical display is there;
// otherwise, or when zenity cannot be started, the answer is that of a box
// that failed to appear: 0.
//
// zenity runs without a shell, with its standard input, output and error
// away from the host's (stdin from /dev/null: the host's input is never
// read), and ShowMessage waits for it: the question is modal to its caller.
// Its output and error go to one pipe: the label of an extra button comes
// out there, and so does GTK's complaint when the display cannot be opened,
// after which zenity ends as if Cancel had been pressed.
#include <errno.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/child_start_posix.h"
#include "runtime/gbk_utf8.h"
#include "runtime/run_environment.h"

namespace zorvane {
namespace {

// MessageBoxA style bits that matter here.
constexpr std::int32_t ButtonSetMask = 0x0F;
constexpr std::int32_t IconMask = 0xF0;
constexpr std::int32_t IconError = 0x10;
constexpr std::int32_t IconWarning = 0x30;
constexpr std::int32_t DefaultButtonShift = 8;
constexpr std::int32_t DefaultButtonMask = 0x0F;

constexpr std::int32_t CodeOk = 0;
constexpr std::int32_t CodeCancel = 1;
constexpr std::int32_t CodeAbort = 2;
constexpr std::int32_t CodeRetry = 3;
constexpr std::int32_t CodeIgnore = 4;
constexpr std::int32_t CodeYes = 5;
constexpr std::int32_t CodeNo = 6;
constexpr std::int32_t NoBox = 0;

// Enough of zenity's output to recognise its last lines.
constexpr std::size_t MaxOutputKept = 4096;
constexpr char NoDisplay[] = "cannot open display";

bool HasGraphicalDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') {
      return true;
    }
  }
  return false;
}

// How one MessageBoxA button set is asked with zenity: its dialog, its
// buttons' labels and the code of each way out. zenity ends with 0 for the OK
// button and 1 for Cancel, Escape, the window closed or the extra button,
// whose label it then prints.
struct Dialog {
  std::vector<std::string> options;
  std::int32_t okCode = CodeOk;
  std::int32_t cancelCode = CodeOk;
  std::string extraLabel;  // UTF-8; empty when the dialog has two buttons
  std::int32_t extraCode = CodeOk;
};

// A GBK text, up to its first NUL, as zenity takes it.
std::string Shown(TextView gbk) {
  return GbkToUtf8Lenient(UpToNul(gbk));
}

Dialog Question(TextView okLabel, std::int32_t okCode, TextView cancelLabel,
                std::int32_t cancelCode) {
  Dialog dialog;
  dialog.options = {"--question", "--ok-label=" + Shown(okLabel),
                    "--cancel-label=" + Shown(cancelLabel)};
  dialog.okCode = okCode;
  dialog.cancelCode = cancelCode;
  return dialog;
}

void AddExtraButton(Dialog& dialog, TextView label, std::int32_t code) {
  dialog.extraLabel = Shown(label);
  dialog.options.push_back("--extra-button=" + dialog.extraLabel);
  dialog.extraCode = code;
}

// MessageBoxA's button sets, their first button being the default unless the
// flags name another. zenity can only make its Cancel button the default
// instead of OK, so that is done where the Cancel button is the one named.
// Closing the window counts as the Cancel button, which for Yes/No is No.
// Sets beyond Retry/Cancel are shown as a plain notice, answered with 0.
Dialog DialogFor(std::int32_t flags) {
  const std::int32_t defaultButton = (flags >> DefaultButtonShift) & DefaultButtonMask;
  Dialog dialog;
  int cancelButtonPosition = -1;
  switch (flags & ButtonSetMask) {
    case 1:  // OK, Cancel
      dialog = Question("确定", CodeOk, "取消", CodeCancel);
      cancelButtonPosition = 1;
      break;
    case 2:  // Abort, Retry, Ignore
      dialog = Question("重试", CodeRetry, "中止", CodeAbort);
      AddExtraButton(dialog, "忽略", CodeIgnore);
      cancelButtonPosition = 0;
      break;
    case 3:  // Yes, No, Cancel
      dialog = Question("是", CodeYes, "取消", CodeCancel);
      AddExtraButton(dialog, "否", CodeNo);
      cancelButtonPosition = 2;
      break;
    case 4:  // Yes, No
      dialog = Question("是", CodeYes, "否", CodeNo);
      cancelButtonPosition = 1;
      break;
    case 5:  // Retry, Cancel
      dialog = Question("重试", CodeRetry, "取消", CodeCancel);
      cancelButtonPosition = 1;
      break;
    default: {  // OK
      const std::int32_t icon = flags & IconMask;
      dialog.options = {icon == IconError     ? "--error"
                        : icon == IconWarning ? "--warning"
                                              : "--info"};
      break;
    }
  }
  if (defaultButton == cancelButtonPosition) {
    dialog.options.push_back("--default-cancel");
  }
  return dialog;
}

// The output and exit status of a finished child, or nothing when it could
// not be started or its status could not be had.
struct Finished {
  bool ran = false;
  int status = 0;
  std::string output;
};

std::string ReadAll(int fd) {
  std::string output;
  char chunk[512];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return output;
    }
    // Read to the end, so that the child never blocks on a full pipe, but
    // keep only the last part.
    output.append(chunk, static_cast<std::size_t>(n));
    if (output.size() > 2 * MaxOutputKept) {
      output.erase(0, output.size() - MaxOutputKept);
    }
  }
}

// Starts zenity with arguments and waits until it ends.
Finished RunZenity(const std::vector<std::string>& arguments) {
  Finished finished;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("zenity"));
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);

  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) {
    return finished;
  }
  pid_t child = 0;
  const int spawned = ChildStart(output[1], /*ownSession=*/false).Spawn(&child, argv.data());
  close(output[1]);
  if (spawned == 0) {
    finished.output = ReadAll(output[0]);
    finished.ran = WaitForChild(child, finished.status);
  }
  close(output[0]);
  return finished;
}

bool HasLine(const std::string& output, const std::string& line) {
  return output == line + "\n" || output.ends_with("\n" + line + "\n");
}

std::int32_t CodeOfAnswer(const Dialog& dialog, const Finished& finished) {
  if (!finished.ran || !WIFEXITED(finished.status)) {
    return NoBox;
  }
  switch (WEXITSTATUS(finished.status)) {
    case 0:
      return dialog.okCode;
    case 1:
      if (!dialog.extraLabel.empty() && HasLine(finished.output, dialog.extraLabel)) {
        return dialog.extraCode;
      }
      if (finished.output.find(NoDisplay) != std::string::npos) {
        return NoBox;
      }
      return dialog.cancelCode;
    default:  // zenity failed to show its box
      return NoBox;
  }
}

}  // namespace

std::int32_t ShowMessage(TextView message, std::int32_t flags, std::optional<TextView> caption) {
  if (!HasGraphicalDisplay()) {
    return NoBox;
  }
  const Dialog dialog = DialogFor(flags);
  std::vector<std::string> arguments = dialog.options;
  arguments.push_back("--title=" + Shown(caption.value_or(DefaultMessageCaption)));
  arguments.push_back("--text=" + Shown(message));
  // The text is shown as it is, not read as Pango markup.
  arguments.push_back("--no-markup");
  return CodeOfAnswer(dialog, RunZenity(arguments));
}

}  // namespace zorvane
