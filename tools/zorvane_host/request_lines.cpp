#include "request_lines.h"

namespace zorvane_host {

LineRead ReadRequestLine(std::istream& in, std::string& line, std::size_t limit) {
  line.clear();
  std::streambuf& input = *in.rdbuf();
  bool tooLong = false;
  for (;;) {
    const int next = input.sbumpc();
    if (next == std::char_traits<char>::eof()) {
      // The last line may lack its line end.
      if (line.empty() && !tooLong) {
        return LineRead::End;
      }
      break;
    }
    if (next == '\n') {
      break;
    }
    if (line.size() < limit + 1) {
      line.push_back(static_cast<char>(next));
    } else {
      tooLong = true;
    }
  }
  if (!tooLong && line.ends_with('\r')) {
    line.pop_back();
  }
  return tooLong || line.size() > limit ? LineRead::TooLong : LineRead::Line;
}

}  // namespace zorvane_host
