#include "line_reader.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>

#ifdef ZORVANE_HAVE_READLINE
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace host_simulator {

LineReader::LineReader(std::istream& input)
    : input_(input), interactive_(&input == &std::cin && isatty(STDIN_FILENO)) {}

std::optional<std::string> LineReader::Next(const char* prompt) {
  std::string line;
#ifdef ZORVANE_HAVE_READLINE
  if (interactive_) {
    char* typed = readline(prompt);
    if (typed == nullptr) {
      return std::nullopt;
    }
    line = typed;
    std::free(typed);
    if (!line.empty()) {
      add_history(line.c_str());
    }
    return line;
  }
#endif
  if (interactive_) {
    std::cout << prompt << std::flush;
  }
  if (!std::getline(input_, line)) {
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return line;
}

}  // namespace host_simulator
