#include "ini_file.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

namespace host_simulator {
namespace {

constexpr std::string_view Blanks = " \t";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(Blanks);
  if (first == text.npos) {
    return {};
  }
  const std::size_t last = text.find_last_not_of(Blanks);
  return text.substr(first, last - first + 1);
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

// The name in a "[name]" line, or nullopt for any other line. Section and
// key names here are ASCII (numbers and fixed words), so "]" and "=" are
// looked for byte by byte.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  const std::size_t close = line.find(']');
  if (line.empty() || line.front() != '[' || close == line.npos) {
    return std::nullopt;
  }
  return Trim(line.substr(1, close - 1));
}

// The key name of a "key=value" line, or nullopt for any other line.
std::optional<std::string_view> KeyName(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == line.npos || Trim(line).starts_with(';')) {
    return std::nullopt;
  }
  return Trim(line.substr(0, equals));
}

std::vector<std::string> ReadLines(const std::string& path, bool& exists) {
  std::ifstream in(path, std::ios::binary);
  exists = static_cast<bool>(in);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

// Where the section's lines end: the next section header or the end of file.
std::size_t SectionEnd(const std::vector<std::string>& lines, std::size_t header) {
  std::size_t end = header + 1;
  while (end < lines.size() && !SectionName(lines[end])) {
    ++end;
  }
  return end;
}

}  // namespace

std::optional<std::string> ReadIniValue(const std::string& path, std::string_view section,
                                        std::string_view key) {
  bool exists = false;
  const std::vector<std::string> lines = ReadLines(path, exists);
  bool inSection = false;
  for (const std::string& line : lines) {
    if (const auto name = SectionName(line)) {
      inSection = SameName(*name, section);
    } else if (const auto name = KeyName(line); inSection && name && SameName(*name, key)) {
      return std::string(Unquote(Trim(std::string_view(line).substr(line.find('=') + 1))));
    }
  }
  return std::nullopt;
}

bool WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value) {
  bool exists = false;
  std::vector<std::string> lines = ReadLines(path, exists);
  const std::string keyLine = std::string(key) + "=" + std::string(value);

  const auto header = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
    const auto name = SectionName(line);
    return name && SameName(*name, section);
  });
  if (header == lines.end()) {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(keyLine);
  } else {
    const std::size_t headerIndex = static_cast<std::size_t>(header - lines.begin());
    std::size_t end = SectionEnd(lines, headerIndex);
    std::size_t insertAt = headerIndex + 1;
    bool replaced = false;
    for (std::size_t i = headerIndex + 1; i < end && !replaced; ++i) {
      if (const auto name = KeyName(lines[i]); name && SameName(*name, key)) {
        lines[i] = keyLine;
        replaced = true;
      } else if (!Trim(lines[i]).empty()) {
        insertAt = i + 1;  // after the section's last non-blank line
      }
    }
    if (!replaced) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLine);
    }
  }

  std::ostringstream text;
  for (const std::string& line : lines) {
    text << line << "\r\n";
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text.str();
  return static_cast<bool>(out.flush());
}

}  // namespace host_simulator
