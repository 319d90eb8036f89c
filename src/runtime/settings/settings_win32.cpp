// Settings files through the Win32 private-profile API. Writes go to a copy
// of the file beside it, which then takes the original's place in one step,
// so that a failed or interrupted write never leaves half a file behind.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "runtime/settings/ini_document.h"
#include "runtime/settings/leftover_sweep.h"
#include "runtime/settings/setting_sections.h"
#include "runtime/settings/settings.h"
#include "runtime/settings/settings_arguments.h"

namespace zorvane {
namespace {

const char* OrNull(const std::optional<Text>& t) {
  return t ? t->c_str() : nullptr;
}

std::optional<Text> Copied(std::optional<TextView> t) {
  return t ? std::optional<Text>(UpToNul(*t)) : std::nullopt;
}

// The folder part of fileName with its separator ("" for a bare name),
// found character by character: a GBK second byte 0x5C is no separator.
Text FolderOf(const Text& fileName) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < fileName.size(); ++i) {
    if (StartsDoubleByteCharacter(fileName[i])) {
      ++i;
    } else if (fileName[i] == '\\' || fileName[i] == '/') {
      end = i + 1;
    }
  }
  return Text(TextView(fileName).substr(0, end));
}

// A new, empty file with a short free name in fileName's folder ("zvXXXX.tmp"):
// a name built from fileName's own could pass MAX_PATH where fileName does not.
bool CreateTemporaryFile(const Text& fileName, Text& temporary) {
  const Text folder = FolderOf(fileName);
  char name[MAX_PATH] = {};
  if (::GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "zv", 0, name) == 0) {
    return false;
  }
  temporary = name;
  return true;
}

// A copy of the existing file, or an empty file when there is none yet (the
// API then writes the section into it, with CRLF lines).
bool PrepareTemporaryFile(const Text& fileName, bool exists, Text& temporary) {
  if (!CreateTemporaryFile(fileName, temporary)) {
    return false;
  }
  if (exists && !::CopyFileA(fileName.c_str(), temporary.c_str(), FALSE)) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

bool IsEmptyFile(const Text& file) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return ::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data) &&
         data.nFileSizeHigh == 0 && data.nFileSizeLow == 0;
}

// An existing file is replaced with ReplaceFileA, which keeps its ACL and
// attributes; a new one is moved into place.
bool PutInPlace(const Text& temporary, const Text& file, bool exists) {
  if (exists) {
    return ::ReplaceFileA(file.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr) != 0;
  }
  return ::MoveFileExA(temporary.c_str(), file.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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
  SweepLeftoverTemporaries(file);
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
  if (!exists && IsEmptyFile(temporary)) {
    // Nothing was written: a deletion in a file that does not exist.
    ::DeleteFileA(temporary.c_str());
    return true;
  }
  if (!FlushToDisk(temporary) || !PutInPlace(temporary, file, exists)) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

std::vector<Text> ReadSectionNames(TextView fileName) {
  const Text name(UpToNul(fileName));
  // The API fills the buffer with NUL-ended names and one more NUL; a
  // result of size - 2 means that the buffer was too small.
  std::vector<char> buffer(4096);
  DWORD length = 0;
  while (true) {
    length = ::GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                              name.c_str());
    if (length + 2 < buffer.size() || buffer.size() >= (64u << 20)) {
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  std::vector<Text> names;
  for (std::size_t at = 0; at < length;) {
    const TextView section(buffer.data() + at);
    at += section.size() + 1;
    const bool seen = std::any_of(names.begin(), names.end(),
                                  [&](const Text& n) { return ini::NamesEqual(n, section); });
    if (!section.empty() && !seen) {
      names.emplace_back(section);
    }
  }
  return names;
}

}  // namespace zorvane
