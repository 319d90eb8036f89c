// The options of a program's command line, read one after another: the one
// loop that the host programs and the riddle site share.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::host {

struct CommandLineOption {
  // "--port"; a flag may go by more names: "--help", "-h".
  std::vector<std::string_view> names;
  // "--port N": the option takes the argument after it.
  bool takesValue = false;
  // Takes the value ("" for a flag); returns why it is refused, or nullopt.
  std::function<std::optional<std::string>(const std::string& value)> take;
};

// An option that stores its value, and a flag that sets a truth value.
CommandLineOption ValueOption(std::string_view name, std::string& value);
CommandLineOption ValueOption(std::string_view name, std::optional<std::string>& value);
CommandLineOption FlagOption(std::string_view name, bool& set);

// Reads argv[first] to argv[argc - 1], in order. Nullopt when every one was
// taken; else why the first that was not: "unknown or incomplete option: X"
// (an unknown name, or a value missing at the end), or what its option said.
std::optional<std::string> ReadCommandLine(int argc, char** argv, int first,
                                           const std::vector<CommandLineOption>& options);

}  // namespace zorvane::host
