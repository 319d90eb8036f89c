#include "host/command_word.h"

namespace zorvane::host {
namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr int CommandWordLine = 5;

}  // namespace

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

std::optional<std::string_view> AfterCommandWord(std::string_view message,
                                                 std::string_view commandWord) {
  if (!message.starts_with(commandWord)) {
    return std::nullopt;
  }
  return message.substr(commandWord.size());
}

}  // namespace zorvane::host
