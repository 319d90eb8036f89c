#include "runtime/settings/setting_after_write.h"

#include "runtime/settings/ini_document.h"
#include "runtime/settings/settings_arguments.h"

namespace zorvane {

std::optional<Text> SettingAfterWrite(TextView section, TextView key, TextView value) {
  if (!IsSafeSettingWrite(section, key, value)) {
    return std::nullopt;
  }
  // The write: the names and the value as a write takes them, into a file
  // that holds nothing yet.
  const std::optional<ini::Edit> edit = ini::SetValue(TextView(), UpToNul(section), UpToNul(key),
                                                      WithoutLoneLeadByte(UpToNul(value)));
  const Text content = edit ? ini::Applied(TextView(), *edit) : Text();
  // The read: the names as a read takes them, the value as a caller
  // receives it.
  const std::optional<SettingNames> names = ReadSettingNames("file", section, key);
  const std::optional<TextView> stored =
      names ? ini::FindValue(content, names->section, names->key) : std::nullopt;
  return stored ? ReceivedValue(*stored) : Text();
}

}  // namespace zorvane
