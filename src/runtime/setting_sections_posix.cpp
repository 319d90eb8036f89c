#include <algorithm>

#include "runtime/ini_document.h"
#include "runtime/native_path.h"
#include "runtime/setting_sections.h"
#include "runtime/settings_file.h"

namespace zorvane {
namespace {

// The name of a header line ("[name]" after optional blanks, anything after
// the "]" ignored); empty for any other line. The "]" is found character by
// character, so the second byte of a GBK character never closes a header.
TextView HeaderName(TextView line) {
  std::size_t first = 0;
  while (first < line.size() && ini::IsBlank(line[first])) {
    ++first;
  }
  if (first == line.size() || line[first] != '[') {
    return {};
  }
  const TextView rest = line.substr(first + 1);
  const std::size_t close = ini::FindByteCharacter(rest, ']');
  return close == TextView::npos ? TextView() : ini::TrimBlanks(rest.substr(0, close));
}

}  // namespace

std::vector<Text> ReadSectionNames(TextView fileName) {
  const SettingsFile file = ReadSettingsFile(NativePath(fileName));
  const TextView content = file.bytes;
  std::vector<Text> names;
  for (std::size_t begin = 0; begin < content.size();) {
    const std::size_t end = std::min(content.find('\n', begin), content.size());
    const TextView name = HeaderName(content.substr(begin, end - begin));
    const bool known = std::any_of(names.begin(), names.end(),
                                   [&](const Text& seen) { return ini::NamesEqual(seen, name); });
    if (!name.empty() && !known) {
      names.emplace_back(name);
    }
    begin = end + 1;
  }
  return names;
}

}  // namespace zorvane
