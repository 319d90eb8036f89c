// The command word: hosts that route messages by it give a module only the
// messages that start with its word, without the word. The module names its
// word in its descriptor.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvane::host {

// The descriptor's fifth line (its lines end with "\r\n"); empty when it has
// fewer lines.
std::string CommandWordOf(std::string_view descriptor);

// message without commandWord at its start, exactly as it is spelled there;
// nullopt when the message does not start with it. An empty word starts
// every message.
std::optional<std::string_view> AfterCommandWord(std::string_view message,
                                                 std::string_view commandWord);

}  // namespace zorvane::host
