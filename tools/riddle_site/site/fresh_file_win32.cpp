#include <windows.h>

#include <atomic>

#include "site/fresh_file.h"

namespace riddle_site {

bool WriteFreshFile(const std::filesystem::path& file, const std::string& bytes) {
  static std::atomic<unsigned> written{0};
  const std::filesystem::path temporary =
      file.parent_path() /
      (L"." + file.filename().wstring() + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" +
       std::to_wstring(written++));
  // CREATE_NEW: never a file or link that is already there.
  const HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    DWORD n = 0;
    ok = WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n,
                   nullptr) &&
         n > 0;
    done += n;
  }
  ok = CloseHandle(handle) && ok;
  // Replacing a link replaces the link itself, not its target.
  if (ok && MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace riddle_site
