#include "host/command_line.h"

#include <algorithm>

namespace zorvane::host {

CommandLineOption ValueOption(std::string_view name, std::string& value) {
  return {{name}, true, [&value](const std::string& given) -> std::optional<std::string> {
            value = given;
            return std::nullopt;
          }};
}

CommandLineOption ValueOption(std::string_view name, std::optional<std::string>& value) {
  return {{name}, true, [&value](const std::string& given) -> std::optional<std::string> {
            value = given;
            return std::nullopt;
          }};
}

CommandLineOption FlagOption(std::string_view name, bool& set) {
  return {{name}, false, [&set](const std::string&) -> std::optional<std::string> {
            set = true;
            return std::nullopt;
          }};
}

std::optional<std::string> ReadCommandLine(int argc, char** argv, int first,
                                           const std::vector<CommandLineOption>& options) {
  for (int i = first; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const auto option = std::find_if(options.begin(), options.end(), [&](const auto& o) {
      return std::find(o.names.begin(), o.names.end(), argument) != o.names.end();
    });
    if (option == options.end() || (option->takesValue && i + 1 >= argc)) {
      return "unknown or incomplete option: " + std::string(argument);
    }
    const std::string value = option->takesValue ? argv[++i] : "";
    if (std::optional<std::string> refused = option->take(value)) {
      return refused;
    }
  }
  return std::nullopt;
}

}  // namespace zorvane::host
