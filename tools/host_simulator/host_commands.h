// How the simulator routes a line that a member types: its own commands
// start with "/" and never reach the module; a message that starts with the
// module's command word reaches it without that word, as hosts that route
// by command word deliver it; every other message reaches it as it is.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace host_simulator {

// "/name arg arg": the name without its "/", the arguments split at blanks.
struct HostCommand {
  std::string name;
  std::vector<std::string> arguments;
};

// What the module receives as the message (the same encoding as the line).
struct ModuleMessage {
  std::string text;
};

using RoutedLine = std::variant<HostCommand, ModuleMessage>;

// commandWord is the descriptor's command word; an empty one takes nothing off.
RoutedLine RouteLine(std::string_view line, std::string_view commandWord);

// Group and member numbers become file and section names: only ASCII
// digits are taken, so that none can step out of the run directory.
bool IsNumber(std::string_view text);

}  // namespace host_simulator
