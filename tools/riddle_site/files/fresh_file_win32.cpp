#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "files/fresh_file_platform.h"

namespace riddle_site {

std::FILE* CreateNewFile(const std::filesystem::path& path, std::error_code& error) {
  // CREATE_NEW: never a file or a link that is there already, and a link is
  // not followed to find out.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error.assign(static_cast<int>(GetLastError()), std::system_category());
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    error = std::make_error_code(std::errc::too_many_files_open);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) {
    _close(fd);
    error = std::make_error_code(std::errc::too_many_files_open);
  }
  return file;
}

bool FlushToDisk(std::FILE* file) {
  return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FALSE;
}

std::error_code RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Replacing a link replaces the link itself, not its target.
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return {};
  }
  return {static_cast<int>(GetLastError()), std::system_category()};
}

unsigned long ProcessNumber() {
  return GetCurrentProcessId();
}

}  // namespace riddle_site
