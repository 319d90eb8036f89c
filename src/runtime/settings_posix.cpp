// Settings files without the Win32 private-profile API: the file is read
// whole, looked up or edited in memory, and replaced in one step.
#include <unistd.h>

#include "runtime/ini_document.h"
#include "runtime/native_path.h"
#include "runtime/settings.h"
#include "runtime/settings_arguments.h"
#include "runtime/settings_file.h"

namespace zorvane {
namespace {

// What the caller receives through a buffer of SettingBufferSize bytes: the
// text up to a NUL, cut to leave room for the buffer's own NUL.
Text Received(TextView value) {
  return Text(UpToNul(value).substr(0, SettingBufferSize - 1));
}

// The default as the Windows API returns it: trailing blanks removed.
Text ReceivedDefault(TextView defaultText) {
  TextView t = UpToNul(defaultText);
  while (!t.empty() && ini::IsBlank(t.back())) {
    t.remove_suffix(1);
  }
  return Received(t);
}

std::optional<Text> EditedContent(TextView content, TextView section, std::optional<TextView> key,
                                  std::optional<TextView> value) {
  if (!key) {
    return ini::DeleteSection(content, section);
  }
  if (!value) {
    return ini::DeleteKey(content, section, *key);
  }
  return ini::SetValue(content, section, *key, *value);
}

}  // namespace

Text ReadSetting(TextView fileName, TextView section, TextView key, TextView defaultText) {
  const std::optional<SettingNames> names = ReadSettingNames(fileName, section, key);
  if (!names) {
    return Text();
  }
  const SettingsFile file = ReadSettingsFile(NativePath(names->fileName));
  const std::optional<TextView> value = ini::FindValue(file.bytes, names->section, names->key);
  return value ? Received(*value) : ReceivedDefault(defaultText);
}

bool WriteSetting(TextView fileName, TextView section, std::optional<TextView> key,
                  std::optional<TextView> value) {
  if (!IsSafeSettingWrite(section, key, value)) {
    return false;
  }
  section = UpToNul(section);
  if (key) {
    key = UpToNul(*key);
  }
  if (value) {
    value = UpToNul(*value);
  }
  const std::string path = NativePath(fileName);
  if (path.empty()) {
    return false;
  }
  const SettingsFile file = ReadSettingsFile(path);
  if (file.state == SettingsFile::State::Unreadable) {
    return false;
  }
  const std::optional<Text> edited = EditedContent(file.bytes, section, key, value);
  if (!edited) {
    return true;  // Nothing to change: the key or section is already gone, or holds that value.
  }
  const bool exists = file.state == SettingsFile::State::Read;
  // A read-only file refuses writes, as on Windows, although its folder would
  // let a new file take its place.
  if (exists && ::access(path.c_str(), W_OK) != 0) {
    return false;
  }
  return ReplaceSettingsFile(path, *edited, exists ? &file.info : nullptr);
}

}  // namespace zorvane
