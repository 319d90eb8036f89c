#include "host_commands.h"

#include <algorithm>

#include "host/command_word.h"

namespace host_simulator {
namespace {

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
  return ModuleMessage{
      std::string(zorvane::host::AfterCommandWord(line, commandWord).value_or(line))};
}

bool IsNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == text.npos;
}

}  // namespace host_simulator
