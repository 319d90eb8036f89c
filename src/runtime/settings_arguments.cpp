#include "runtime/settings_arguments.h"

#include "runtime/ini_document.h"

namespace zorvane {
namespace {

bool HasLineBreak(TextView t) {
  return t.find_first_of("\r\n") != TextView::npos;
}

bool IsSafeSection(TextView section) {
  return !ini::TrimBlanks(section).empty() && !HasLineBreak(section) &&
         ini::FindByteCharacter(section, ']') == TextView::npos;
}

bool IsSafeKey(TextView key) {
  const TextView name = ini::TrimBlanks(key);
  return !name.empty() && name.front() != '[' && name.front() != ';' && !HasLineBreak(key) &&
         key.find('=') == TextView::npos;
}

}  // namespace

TextView SkipLeadingControlBytes(TextView t) {
  t = UpToNul(t);
  std::size_t i = 0;
  while (i < t.size() && static_cast<unsigned char>(t[i]) <= 32) {
    ++i;
  }
  return t.substr(i);
}

std::optional<SettingNames> ReadSettingNames(TextView fileName, TextView section, TextView key) {
  SettingNames names{SkipLeadingControlBytes(fileName), SkipLeadingControlBytes(section),
                     SkipLeadingControlBytes(key)};
  if (names.fileName.empty() || names.section.empty() || names.key.empty()) {
    return std::nullopt;
  }
  return names;
}

bool IsSafeSettingWrite(TextView section, std::optional<TextView> key,
                        std::optional<TextView> value) {
  if (!IsSafeSection(UpToNul(section))) {
    return false;
  }
  if (key && !IsSafeKey(UpToNul(*key))) {
    return false;
  }
  return !(value && HasLineBreak(UpToNul(*value)));
}

}  // namespace zorvane
