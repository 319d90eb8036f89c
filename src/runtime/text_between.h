// Cutting the text between two markers out of a larger text.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/text.h"

namespace zorvane {

struct TextBetweenOptions {
  // 1-based position where the search for the start marker begins.
  std::optional<std::int32_t> startPos = std::nullopt;
  // Receives the part's length once the end marker is found.
  std::int32_t* outLength = nullptr;
  // The longest part returned; longer parts are cut (or rejected, below).
  std::optional<std::int32_t> maxLength = std::nullopt;
  // Receives the 1-based position of the part once the start marker is found.
  std::int32_t* outStart = nullptr;
  // A part longer than maxLength (0 when not given) gives the empty text.
  bool rejectLonger = false;
};

// The bytes between the first startMarker and the first endMarker after it,
// exactly as they stand; the empty text when either is missing.
Text TextBetween(TextView haystack, TextView startMarker, TextView endMarker,
                 const TextBetweenOptions& options = {});

}  // namespace zorvane
