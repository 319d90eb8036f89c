// Settings files through the Win32 private-profile API. Writes go to a copy
// of the file beside it, which then takes the original's place in one
// rename, so that a failed or interrupted write never leaves half a file
// behind; the rename happens only while the file is still the one copied,
// and the name never goes missing in between.
//
// A file that other modules of the host write through the API too (the
// sign-in module's ledger, often from another thread) is changed with one
// call of the API instead: the API serialises its calls within the process,
// while a replaced file can still lose a write that the API loaded before
// the rename and saved after it.
//
// Every write holds the file's SharedFileLock, so that our own modules (the
// game and the sign-in module) never interleave a read and its write back.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "runtime/settings/ini_document.h"
#include "runtime/settings/leftover_sweep.h"
#include "runtime/settings/setting_sections.h"
#include "runtime/settings/settings.h"
#include "runtime/settings/settings_arguments.h"
#include "runtime/settings/shared_file_lock.h"

namespace zorvane {
namespace {

const char* OrNull(const std::optional<Text>& t) {
  return t ? t->c_str() : nullptr;
}

std::optional<Text> Copied(std::optional<TextView> t) {
  return t ? std::optional<Text>(UpToNul(*t)) : std::nullopt;
}

// A new, empty file with a short free name in fileName's folder ("zvXXXX.tmp"):
// a name built from fileName's own could pass MAX_PATH where fileName does not.
bool CreateTemporaryFile(const Text& fileName, Text& temporary) {
  const Text folder = WindowsFolderOf(fileName);
  char name[MAX_PATH] = {};
  if (::GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "zv", 0, name) == 0) {
    return false;
  }
  temporary = name;
  return true;
}

bool IsEmptyFile(const Text& file) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return ::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data) &&
         data.nFileSizeHigh == 0 && data.nFileSizeLow == 0;
}

bool IsMissingFileError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Larger files are refused rather than read into memory.
constexpr DWORD MaxSettingsFileSize = DWORD{256} << 20;

// One version of a file as a write found it: which file it was, its size,
// last write and attributes, and its bytes; or that there was no file.
struct FileVersion {
  bool exists = false;
  BY_HANDLE_FILE_INFORMATION info = {};
  Text bytes;
};

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) {
      ::CloseHandle(handle_);
    }
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now, reporting errors that a deferred write may only show here.
  bool Close() {
    const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    return ::CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

// The file as it is now, read whole through one handle that lets every
// other writer go on; nullopt when it cannot be read.
std::optional<FileVersion> ReadVersion(const Text& file) {
  FileVersion version;
  FileHandle handle(::CreateFileA(file.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) {
    return IsMissingFileError(::GetLastError()) ? std::optional(version) : std::nullopt;
  }
  version.exists = true;
  if (!::GetFileInformationByHandle(handle.get(), &version.info) ||
      version.info.nFileSizeHigh != 0 || version.info.nFileSizeLow > MaxSettingsFileSize) {
    return std::nullopt;
  }
  // One byte more than its size, so that a file that grew meanwhile is read
  // whole; a read that returns less than asked has reached the end.
  version.bytes.resize(version.info.nFileSizeLow + 1);
  DWORD got = 0;
  for (;;) {
    const DWORD wanted = static_cast<DWORD>(version.bytes.size()) - got;
    DWORD n = 0;
    if (!::ReadFile(handle.get(), version.bytes.data() + got, wanted, &n, nullptr)) {
      return std::nullopt;
    }
    got += n;
    if (n < wanted) {
      break;
    }
    if (got > MaxSettingsFileSize) {
      return std::nullopt;
    }
    version.bytes.resize(got * 2);
  }
  version.bytes.resize(got);
  return version;
}

// Whether two reads found the same file with the same size, last write and
// bytes. Writers that replace the file (as this layer does) give it a new
// file index; the private-profile API rewrites it in place, which changes
// its last write and usually its size. The bytes also show a rewrite within
// the file system's clock tick, and a read made halfway through one.
bool SameVersion(const FileVersion& a, const FileVersion& b) {
  if (a.exists != b.exists) {
    return false;
  }
  if (!a.exists) {
    return true;
  }
  return a.info.dwVolumeSerialNumber == b.info.dwVolumeSerialNumber &&
         a.info.nFileIndexHigh == b.info.nFileIndexHigh &&
         a.info.nFileIndexLow == b.info.nFileIndexLow &&
         ::CompareFileTime(&a.info.ftLastWriteTime, &b.info.ftLastWriteTime) == 0 &&
         a.bytes == b.bytes;
}

bool WriteWholeFile(const Text& file, const Text& bytes) {
  FileHandle handle(::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) {
    return false;
  }
  DWORD written = 0;
  const bool complete = ::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                    &written, nullptr) &&
                        written == bytes.size();
  return handle.Close() && complete;
}

bool FlushToDisk(const Text& file) {
  FileHandle handle(::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) {
    return false;
  }
  const bool flushed = ::FlushFileBuffers(handle.get()) != 0;
  return handle.Close() && flushed;
}

// The attributes a rewritten file keeps from the one it replaces.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Errors of a rename that another writer holding or replacing the file
// causes; the write starts again.
bool IsContendedRenameError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION || error == ERROR_ALREADY_EXISTS ||
         error == ERROR_FILE_EXISTS;
}

// An edit of a settings file through the API; false when it failed.
using Edit = std::function<bool(const Text& file)>;

enum class WriteResult { Written, Failed, ChangedMeanwhile };

// One crash-safe write: the file is read, its bytes go to a new file beside
// it that the edit then changes through the API, and the new file is flushed
// and renamed over the original in one step, but only if the original is
// still the version read. Otherwise nothing is replaced and the write
// reports the change.
WriteResult WriteOnce(const Text& file, const Edit& edit) {
  const std::optional<FileVersion> original = ReadVersion(file);
  // The API refuses a read-only file; its copy would carry the same attribute.
  if (!original || (original->info.dwFileAttributes &
                    (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return WriteResult::Failed;
  }
  Text temporary;
  if (!CreateTemporaryFile(file, temporary)) {
    return WriteResult::Failed;
  }
  const auto discard = [&](WriteResult result) {
    ::DeleteFileA(temporary.c_str());
    return result;
  };
  if (original->exists && !WriteWholeFile(temporary, original->bytes)) {
    return discard(WriteResult::Failed);
  }
  if (!edit(temporary)) {
    return discard(WriteResult::Failed);
  }
  if (!original->exists && IsEmptyFile(temporary)) {
    // Nothing was written: a deletion in a file that does not exist.
    return discard(WriteResult::Written);
  }
  if (!FlushToDisk(temporary) ||
      (original->exists && (original->info.dwFileAttributes & KeptAttributes) != 0 &&
       !::SetFileAttributesA(temporary.c_str(),
                             original->info.dwFileAttributes & KeptAttributes))) {
    return discard(WriteResult::Failed);
  }
  const std::optional<FileVersion> now = ReadVersion(file);
  if (!now || !SameVersion(*original, *now)) {
    return discard(WriteResult::ChangedMeanwhile);
  }
  // A file that appeared meanwhile is not replaced.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (original->exists ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!::MoveFileExA(temporary.c_str(), file.c_str(), flags)) {
    const DWORD error = ::GetLastError();
    return discard(IsContendedRenameError(error) ? WriteResult::ChangedMeanwhile
                                                 : WriteResult::Failed);
  }
  return WriteResult::Written;
}

// How often a write starts again when another writer (the sign-in module,
// often on another thread of the host) changed the file meanwhile.
constexpr int WriteAttempts = 8;

// The crash-safe write, started again while the file keeps changing under
// it. After the last attempt the edit goes to the file through the API
// directly: the API serialises its calls within the process, so that the
// other writers' changes through it are kept, although a crash during that
// one write is not guarded against.
bool WriteKeepingOthersChanges(const Text& file, const Edit& edit) {
  for (int attempt = 1; attempt <= WriteAttempts; ++attempt) {
    const WriteResult result = WriteOnce(file, edit);
    if (result != WriteResult::ChangedMeanwhile) {
      return result == WriteResult::Written;
    }
    // Lets the other writer finish.
    ::Sleep(attempt == 1 ? 0 : 1);
  }
  return edit(file);
}

bool WriteThroughApi(const Text& file, const Text& section, const std::optional<Text>& key,
                     const std::optional<Text>& value) {
  return ::WritePrivateProfileStringA(section.c_str(), OrNull(key), OrNull(value), file.c_str()) !=
         0;
}

// An empty fallback is passed as a null pointer, which the API reads as "".
Text ReadThroughApi(const Text& file, const Text& section, const Text& key,
                    const Text& fallback = Text()) {
  Text buffer(SettingBufferSize, '\0');
  // The API's count is not needed: the buffer always ends in a NUL.
  ::GetPrivateProfileStringA(section.c_str(), key.c_str(),
                             fallback.empty() ? nullptr : fallback.c_str(), buffer.data(),
                             SettingBufferSize, file.c_str());
  return Text(buffer.c_str());
}

}  // namespace

Text ReadSetting(TextView fileName, TextView section, TextView key, TextView defaultText) {
  const std::optional<SettingNames> names = ReadSettingNames(fileName, section, key);
  if (!names) {
    return Text();
  }
  return ReadThroughApi(Text(names->fileName), Text(names->section), Text(names->key),
                        Text(UpToNul(defaultText)));
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
  const Text sectionName(UpToNul(section));
  const std::optional<Text> keyName = Copied(key);
  const std::optional<Text> newValue = Copied(value);
  const SharedFileLock turn(file);
  return WriteKeepingOthersChanges(file, [&](const Text& target) {
    return WriteThroughApi(target, sectionName, keyName, newValue);
  });
}

bool ChangeSharedSetting(TextView fileName, TextView section, TextView key,
                         const ValueChange& change) {
  const Text file(UpToNul(fileName));
  const Text sectionName(UpToNul(section));
  const Text keyName(UpToNul(key));
  if (file.empty() || !IsSafeSettingWrite(sectionName, keyName, TextView())) {
    return false;
  }
  // This write makes no copy, but the folder may still hold the copies of
  // earlier writes that were killed.
  SweepLeftoverTemporaries(file);
  // The value is read and written back in the file's turn: another module
  // of ours changing the same key waits. Others, which take no turns, are
  // still caught by the version check below.
  const SharedFileLock turn(file);
  // The value is read through the API between two reads of the whole file,
  // the second right before the write. When they differ, another writer came
  // in between, and the change starts again from its version.
  for (int attempt = 1;; ++attempt) {
    const std::optional<FileVersion> read = ReadVersion(file);
    if (!read) {
      return false;
    }
    const std::optional<Text> newValue = change(ReadThroughApi(file, sectionName, keyName));
    if (!newValue) {
      return true;
    }
    if (!IsSafeSettingWrite(sectionName, keyName, *newValue)) {
      return false;
    }
    const std::optional<FileVersion> now = ReadVersion(file);
    if (!now) {
      return false;
    }
    // The last attempt writes whatever happens meanwhile: our own change must land.
    if (SameVersion(*read, *now) || attempt == WriteAttempts) {
      return WriteThroughApi(file, sectionName, keyName, *newValue);
    }
    ::Sleep(attempt == 1 ? 0 : 1);
  }
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
