#include "runtime/settings_arguments.h"

#include "runtime/ini_document.h"

namespace zorvane {
namespace {

bool HasLineBreak(TextView t) {
  return t.find_first_of("\r\n") != TextView::npos;
}

// A last byte from 0x80 up that starts a character of its own (once the
// name is trimmed, as it is written): in the file
// it would pair with the "]" or "=" written after the name, which then no
// longer ends the name, and the key could not be read back.
bool EndsInLoneLeadByte(TextView name) {
  std::size_t i = 0;
  while (i < name.size()) {
    if (StartsDoubleByteCharacter(name[i])) {
      if (i + 1 == name.size()) {
        return true;
      }
      ++i;
    }
    ++i;
  }
  return false;
}

bool IsSafeSection(TextView section) {
  return !ini::TrimBlanks(section).empty() && !HasLineBreak(section) &&
         !EndsInLoneLeadByte(ini::TrimBlanks(section)) &&
         ini::FindByteCharacter(section, ']') == TextView::npos;
}

bool IsSafeKey(TextView key) {
  const TextView name = ini::TrimBlanks(key);
  return !name.empty() && name.front() != '[' && name.front() != ';' && !HasLineBreak(key) &&
         !EndsInLoneLeadByte(name) && key.find('=') == TextView::npos;
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
