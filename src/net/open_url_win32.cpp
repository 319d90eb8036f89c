// Opening a URL with the shell's "open" action.
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include "net/open_url.h"

namespace zorvane {

void OpenUrl(std::optional<TextView> url) {
  const TextView given = url.value_or(TextView(DefaultOpenUrl));
  const Text target(UpToNul(given));
  // The shell may hand the URL to COM components. COM is set up for this call
  // only (not at load, which runs under the loader lock) and undone only if
  // this call set it up or added a reference to it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // Any message of the shell's own about the URL is shown over this window.
  const HWND owner = FindWindowExA(nullptr, nullptr, nullptr, "Microsoft Internet Explorer");
  ShellExecuteA(owner, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) {
    CoUninitialize();
  }
}

}  // namespace zorvane
