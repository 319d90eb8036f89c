#include "host_commands.h"

#include <algorithm>

namespace host_simulator {
namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr int CommandWordLine = 5;

std::vector<std::string> SplitAtBlanks(std::string_view text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(" \t", at)) != text.npos) {
    const std::size_t end = std::min(text.find_first_of(" \t", at), text.size());
    words.emplace_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

}  // namespace

RoutedLine RouteLine(std::string_view line, std::string_view commandWord) {
  if (line.starts_with('/')) {
    std::vector<std::string> words = SplitAtBlanks(line.substr(1));
    HostCommand command;
    if (!words.empty()) {
      command.name = std::move(words.front());
      command.arguments.assign(words.begin() + 1, words.end());
    }
    return command;
  }
  if (!commandWord.empty() && line.starts_with(commandWord)) {
    line.remove_prefix(commandWord.size());
  }
  return ModuleMessage{std::string(line)};
}

bool IsNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == text.npos;
}

std::string CommandWordOf(std::string_view descriptor) {
  std::size_t begin = 0;
  for (int line = 1; line < CommandWordLine; ++line) {
    const std::size_t end = descriptor.find(LineEnd, begin);
    if (end == descriptor.npos) {
      return "";
    }
    begin = end + LineEnd.size();
  }
  const std::size_t end = descriptor.find(LineEnd, begin);
  return end == descriptor.npos ? "" : std::string(descriptor.substr(begin, end - begin));
}

}  // namespace host_simulator
