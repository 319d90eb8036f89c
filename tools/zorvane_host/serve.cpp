#include "serve.h"

#include <exception>

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

std::optional<std::string> AnswerLine(std::string_view line, const Operations& operations) {
  if (line.find_first_not_of(" \t") == line.npos) {
    return std::nullopt;
  }
  Json id;
  try {
    const Request request = ParseRequest(line, id);
    const auto operation = operations.find(request.op);
    if (operation == operations.end()) {
      throw BadRequest{"unknown op \"" + request.op + "\""};
    }
    return OkAnswer(id, operation->second(request));
  } catch (const BadRequest& bad) {
    return ErrorAnswer(id, bad.reason);
  } catch (const std::exception& error) {
    // Whatever went wrong with this request, the next one is served.
    return ErrorAnswer(id, std::string("the host failed: ") + error.what());
  }
}

void Serve(std::istream& in, std::ostream& out, const Operations& operations) {
  std::string line;
  for (;;) {
    const LineRead read = ReadRequestLine(in, line, MaxRequestBytes);
    if (read == LineRead::End) {
      return;
    }
    std::optional<std::string> answer;
    if (read == LineRead::TooLong) {
      answer = ErrorAnswer(nullptr,
                           "the line is longer than " + std::to_string(MaxRequestBytes) + " bytes");
    } else {
      answer = AnswerLine(line, operations);
    }
    if (answer) {
      out << *answer << '\n' << std::flush;
    }
  }
}

}  // namespace zorvane_host
