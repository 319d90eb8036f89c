// Lines typed by the member: with line editing and history when a terminal
// is attached, plain lines from a pipe or a file.
#pragma once

#include <istream>
#include <optional>
#include <string>

namespace host_simulator {

class LineReader {
 public:
  // Reads from input; edits lines on the terminal when input is standard
  // input and a terminal is attached to it.
  explicit LineReader(std::istream& input);

  // True when lines come from a person at a terminal.
  bool interactive() const { return interactive_; }

  // The next line without its line break (or trailing "\r"); nullopt at the
  // end of the input. prompt is shown only on a terminal.
  std::optional<std::string> Next(const char* prompt);

 private:
  std::istream& input_;
  bool interactive_;
};

}  // namespace host_simulator
