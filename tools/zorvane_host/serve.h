// The host's loop: every request line gets one answer line, in order, and a
// bad line never ends the loop.
#pragma once

#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "protocol.h"

namespace zorvane_host {

enum class LineRead { Line, TooLong, End };

// Reads the next line into line, without its "\n" or "\r\n". A line longer
// than limit is read to its end and thrown away (TooLong): an endless line
// cannot take the host's memory.
LineRead ReadRequestLine(std::istream& in, std::string& line, std::size_t limit);

// An operation returns the fields of its answer, or throws BadRequest.
using Operation = std::function<Json(const Request&)>;
using Operations = std::map<std::string, Operation, std::less<>>;

// The answer line to one request line; nullopt for a blank line, which is
// skipped.
std::optional<std::string> AnswerLine(std::string_view line, const Operations& operations);

// Answers the lines of in on out, each answer flushed at once, until in ends.
void Serve(std::istream& in, std::ostream& out, const Operations& operations);

}  // namespace zorvane_host
