// Settings files through the Win32 private-profile API. Writes go to a copy
// of the file beside it, which then takes the original's place in one step,
// so that a failed or interrupted write never leaves half a file behind.
#include <windows.h>

#include <string>

#include "runtime/settings.h"
#include "runtime/settings_arguments.h"

namespace zorvane {
namespace {

const char* OrNull(const std::optional<Text>& t) {
  return t ? t->c_str() : nullptr;
}

std::optional<Text> Copied(std::optional<TextView> t) {
  return t ? std::optional<Text>(UpToNul(*t)) : std::nullopt;
}

// A name beside fileName that no other writer uses.
Text TemporaryNameFor(const Text& fileName) {
  static unsigned counter = 0;
  const std::string unique = std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(::GetTickCount()) + "-" + std::to_string(counter++);
  return ConcatTexts({fileName, ".~", unique, ".tmp"});
}

// A copy of the existing file, or a free name when there is none yet (the
// API then creates the file, with CRLF lines).
bool PrepareTemporaryFile(const Text& fileName, bool exists, Text& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = TemporaryNameFor(fileName);
    if (!exists) {
      if (::GetFileAttributesA(temporary.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return true;
      }
      continue;
    }
    if (::CopyFileA(fileName.c_str(), temporary.c_str(), TRUE)) {
      return true;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  return false;
}

bool FlushToDisk(const Text& file) {
  const HANDLE handle = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool flushed = ::FlushFileBuffers(handle) != 0;
  return ::CloseHandle(handle) != 0 && flushed;
}

bool IsMissingFileError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

Text ReadSetting(TextView fileName, TextView section, TextView key, TextView defaultText) {
  const std::optional<SettingNames> names = ReadSettingNames(fileName, section, key);
  if (!names) {
    return Text();
  }
  const Text file(names->fileName);
  const Text sectionName(names->section);
  const Text keyName(names->key);
  const Text fallback(UpToNul(defaultText));
  Text buffer(SettingBufferSize, '\0');
  // The API's count is not needed: the buffer always ends in a NUL.
  ::GetPrivateProfileStringA(sectionName.c_str(), keyName.c_str(),
                             fallback.empty() ? nullptr : fallback.c_str(), buffer.data(),
                             SettingBufferSize, file.c_str());
  return Text(buffer.c_str());
}

bool WriteSetting(TextView fileName, TextView section, std::optional<TextView> key,
                  std::optional<TextView> value) {
  if (!IsSafeSettingWrite(section, key, value)) {
    return false;
  }
  const Text file(UpToNul(fileName));
  if (file.empty()) {
    return false;
  }
  const DWORD attributes = ::GetFileAttributesA(file.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists && !IsMissingFileError(::GetLastError())) {
    return false;
  }
  // The API refuses a read-only file; its copy would carry the same attribute.
  if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return false;
  }
  Text temporary;
  if (!PrepareTemporaryFile(file, exists, temporary)) {
    return false;
  }
  const Text sectionName(UpToNul(section));
  const std::optional<Text> keyName = Copied(key);
  const std::optional<Text> newValue = Copied(value);
  if (!::WritePrivateProfileStringA(sectionName.c_str(), OrNull(keyName), OrNull(newValue),
                                    temporary.c_str())) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  if (::GetFileAttributesA(temporary.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // Nothing was written: a deletion in a file that does not exist.
    return !exists;
  }
  if (!FlushToDisk(temporary) ||
      !::MoveFileExA(temporary.c_str(), file.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace zorvane
