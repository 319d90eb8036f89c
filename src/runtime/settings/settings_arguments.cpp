#include "runtime/settings/settings_arguments.h"

#include "runtime/settings/ini_document.h"
#include "runtime/settings/settings.h"

namespace zorvane {
namespace {

bool HasLineBreak(TextView t) {
  return t.find_first_of("\r\n") != TextView::npos;
}

// A first byte of a two-byte character with nothing, or no possible second
// byte (0x40 to 0xFE but 0x7F), after it: a name holding one would be written
// as bytes that no reader turns back into the same name.
bool HasBrokenCharacter(TextView name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (!ini::IsGbkLeadByte(name[i])) {
      continue;
    }
    if (++i == name.size()) {
      return true;
    }
    const auto second = static_cast<unsigned char>(name[i]);
    if (second < 0x40 || second == 0x7F || second == 0xFF) {
      return true;
    }
  }
  return false;
}

bool IsSafeSection(TextView section) {
  return !ini::TrimBlanks(section).empty() && !HasLineBreak(section) &&
         !HasBrokenCharacter(section) && ini::FindByteCharacter(section, ']') == TextView::npos;
}

bool IsSafeKey(TextView key) {
  const TextView name = ini::TrimBlanks(key);
  return !name.empty() && name.front() != '[' && name.front() != ';' && !HasLineBreak(key) &&
         !HasBrokenCharacter(key) && key.find('=') == TextView::npos;
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

TextView WithoutLoneLeadByte(TextView value) {
  std::size_t i = 0;
  while (i < value.size()) {
    if (ini::IsGbkLeadByte(value[i]) && i + 1 == value.size()) {
      return value.substr(0, i);
    }
    i += ini::IsGbkLeadByte(value[i]) ? 2 : 1;
  }
  return value;
}

Text ReceivedValue(TextView value) {
  value = WithoutLoneLeadByte(UpToNul(value));
  constexpr std::size_t room = SettingBufferSize - 1;
  if (value.size() <= room) {
    return Text(value);
  }
  std::size_t end = 0;
  while (end < room) {
    const std::size_t next = end + (ini::IsGbkLeadByte(value[end]) ? 2 : 1);
    if (next > room) {
      break;
    }
    end = next;
  }
  return Text(value.substr(0, end));
}

Text WindowsFolderOf(TextView fileName) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < fileName.size(); ++i) {
    if (ini::IsGbkLeadByte(fileName[i])) {
      ++i;
    } else if (fileName[i] == '\\' || fileName[i] == '/') {
      end = i + 1;
    }
  }
  return Text(fileName.substr(0, end));
}

}  // namespace zorvane
