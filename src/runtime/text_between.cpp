#include "runtime/text_between.h"

namespace zorvane {

Text TextBetween(TextView haystack, TextView startMarker, TextView endMarker,
                 const TextBetweenOptions& options) {
  const std::int32_t start = FindText(haystack, startMarker, options.startPos);
  if (start == -1) {
    return Text();
  }
  const std::int32_t partStart = start + TextLength(startMarker);
  if (options.outStart) {
    *options.outStart = partStart;
  }
  // The end marker is looked for from the boundary right after the start marker.
  const std::int32_t end = FindText(haystack, endMarker, partStart);
  if (end == -1 || partStart > end) {
    return Text();
  }
  const std::int32_t length = end - partStart;
  if (options.outLength) {
    *options.outLength = length;
  }
  if (options.rejectLonger && length > options.maxLength.value_or(0)) {
    return Text();
  }
  Text part = MidText(haystack, partStart, length);
  if (options.maxLength) {
    part = LeftText(part, *options.maxLength);
  }
  return part;
}

}  // namespace zorvane
