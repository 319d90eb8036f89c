// Request lines from the host's input, each at most MaxRequestBytes long.
#pragma once

#include <istream>
#include <string>

namespace zorvane_host {

enum class LineRead { Line, TooLong, End };

// Reads the next line into line, without its "\n" or "\r\n". A line longer
// than limit is read to its end and thrown away (TooLong): an endless line
// cannot take the host's memory.
LineRead ReadRequestLine(std::istream& in, std::string& line, std::size_t limit);

}  // namespace zorvane_host
