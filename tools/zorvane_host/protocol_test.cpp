// The wire of zorvane-host: what a request line may hold, and what the
// answer to a bad one says.
#include "protocol.h"

#include <gtest/gtest.h>

#include <sstream>

#include "serve.h"

namespace zorvane_host {
namespace {

// What ParseRequest and the field readers make of a line: the reason of the
// error, or "" when the line is a good event request.
std::string ProblemOf(std::string_view line, Json& id) {
  try {
    const Request request = ParseRequest(line, id);
    TextField(request, "message");
    NumberField(request, "group");
    NumberField(request, "member");
    return "";
  } catch (const BadRequest& bad) {
    return bad.reason;
  }
}

TEST(ZorvaneHostProtocol, BadLinesAreNamedAndKeepTheirId) {
  struct Case {
    std::string_view line;
    std::string_view problem;
    Json id;
  };
  const Case cases[] = {
      {R"({"id":1,"op":"event","message":"开始","group":"10001","member":10002})", "", 1},
      {R"({"id":"a","op":"event","message":"","group":"1","member":"2"})", "", "a"},
      {"not json", "the line is not JSON", nullptr},
      {"{\"id\":1,\"op\":\"event\",\"message\":\"\xff\"}", "the line is not JSON", nullptr},
      {"[1,2]", "the line is not a JSON object", nullptr},
      {R"({"op":"event"})", "the request has no id", nullptr},
      {R"({"id":7})", "the request has no op", 7},
      {R"({"id":7,"op":3})", "the request has no op", 7},
      {R"({"id":7,"op":"event","group":"1","member":"2"})", "message is missing", 7},
      {R"({"id":7,"op":"event","message":5,"group":"1","member":"2"})", "message is not a text", 7},
      {R"({"id":7,"op":"event","message":"a\u0000b","group":"1","member":"2"})",
       "message holds a NUL character", 7},
      {R"({"id":7,"op":"event","message":"","member":"2"})", "group is missing", 7},
      {R"({"id":7,"op":"event","message":"","group":"../1","member":"2"})",
       "group is not a number of at most 20 digits", 7},
      {R"({"id":7,"op":"event","message":"","group":-1,"member":"2"})", "group is not a number", 7},
      {R"({"id":7,"op":"event","message":"","group":"1","member":"123456789012345678901"})",
       "member is not a number of at most 20 digits", 7},
      {R"({"id":7,"op":"event","message":"","group":"1","member":""})",
       "member is not a number of at most 20 digits", 7},
  };
  for (const Case& c : cases) {
    Json id;
    EXPECT_EQ(ProblemOf(c.line, id), c.problem) << c.line;
    EXPECT_EQ(id, c.id) << c.line;
  }
}

TEST(ZorvaneHostProtocol, AmountsAreWholeAndWithinALedger) {
  struct Case {
    std::string_view amount;
    std::string_view problem;  // "" when taken
  };
  const Case cases[] = {
      {"25", ""},
      {"-25", ""},
      {"1000000000000", ""},
      {"1000000000001", "amount is beyond what a ledger keeps"},
      {"-1000000000001", "amount is beyond what a ledger keeps"},
      {"18446744073709551615", "amount is beyond what a ledger keeps"},
      {"2.5", "amount is not a whole number"},
      {"\"25\"", "amount is not a whole number"},
  };
  for (const Case& c : cases) {
    Json id;
    const std::string line = R"({"id":1,"op":"give","amount":)" + std::string(c.amount) + "}";
    std::string problem;
    try {
      AmountField(ParseRequest(line, id), "amount");
    } catch (const BadRequest& bad) {
      problem = bad.reason;
    }
    EXPECT_EQ(problem, c.problem) << c.amount;
  }
}

TEST(ZorvaneHostProtocol, AnswersAreOneLineOfValidUtf8) {
  EXPECT_EQ(OkAnswer(3, {{"reply", "第一行\r\n第二行"}}),
            R"({"id":3,"ok":true,"reply":"第一行\r\n第二行"})");
  EXPECT_EQ(ErrorAnswer(nullptr, "the line is not JSON"),
            R"({"id":null,"ok":false,"error":"the line is not JSON"})");
  // Bytes that are no UTF-8 never break the line.
  EXPECT_EQ(OkAnswer("x", {{"reply", "a\xff"}}),
            "{\"id\":\"x\",\"ok\":true,\"reply\":\"a\xEF\xBF\xBD\"}");
}

TEST(ZorvaneHostProtocol, LinesAreCutAtTheirEndsAndOverlongOnesRefused) {
  std::istringstream in("one\r\ntwo\n\n" + std::string(12, 'x') + "\nlast");
  std::string line;
  std::vector<std::pair<LineRead, std::string>> read;
  for (LineRead result; (result = ReadRequestLine(in, line, 10)) != LineRead::End;) {
    read.emplace_back(result, line);
  }
  const std::vector<std::pair<LineRead, std::string>> expected = {
      {LineRead::Line, "one"}, {LineRead::Line, "two"},  {LineRead::Line, ""},
      {LineRead::TooLong, ""}, {LineRead::Line, "last"},
  };
  ASSERT_EQ(read.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(read[i].first, expected[i].first) << i;
    if (read[i].first == LineRead::Line) {
      EXPECT_EQ(read[i].second, expected[i].second) << i;
    }
  }
}

TEST(ZorvaneHostProtocol, EveryLineIsAnsweredInOrderWhateverFails) {
  const Operations operations = {
      {"ping", [](const Request&) { return Json::object(); }},
      {"echo",
       [](const Request& request) {
         return Json{{"text", TextField(request, "text")}};
       }},
      {"fail", [](const Request&) -> Json { throw std::runtime_error("disk full"); }},
  };
  std::istringstream in(
      "{\"id\":1,\"op\":\"ping\"}\n"
      "\n"
      "{\"id\":2,\"op\":\"nope\"}\n"
      "{\"id\":3,\"op\":\"fail\"}\r\n" +
      std::string(MaxRequestBytes + 1, ' ') + "\n" +
      "{\"id\":4,\"op\":\"echo\"}\n"
      "{\"id\":5,\"op\":\"echo\",\"text\":\"Zorva\"}");
  std::ostringstream out;
  Serve(in, out, operations);
  EXPECT_EQ(out.str(),
            "{\"id\":1,\"ok\":true}\n"
            "{\"id\":2,\"ok\":false,\"error\":\"unknown op \\\"nope\\\"\"}\n"
            "{\"id\":3,\"ok\":false,\"error\":\"the host failed: disk full\"}\n"
            "{\"id\":null,\"ok\":false,\"error\":\"the line is longer than 1048576 bytes\"}\n"
            "{\"id\":4,\"ok\":false,\"error\":\"text is missing\"}\n"
            "{\"id\":5,\"ok\":true,\"text\":\"Zorva\"}\n");
}

}  // namespace
}  // namespace zorvane_host
