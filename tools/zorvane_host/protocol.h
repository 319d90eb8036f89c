// zorvane-host's wire: one JSON object a line each way. A request names its
// operation ("op") and carries an "id" that its answer repeats; an answer
// has "ok": true with the operation's fields, or "ok": false with "error",
// the reason in words. Texts are UTF-8 here; GBK is the business of the
// operations behind.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane_host {

// Keys keep their order, so that an answer reads "id", "ok", then the rest.
using Json = nlohmann::ordered_json;

// Longest request line taken; a longer one is answered with an error.
inline constexpr std::size_t MaxRequestBytes = 1 << 20;

// Thrown by the field readers below and by operations: a request that cannot
// be carried out, with the reason its error answer gives.
struct BadRequest {
  std::string reason;
};

// One parsed request line.
struct Request {
  Json id;
  std::string op;
  Json body;  // the whole object
};

// The request on line (without its line end), or BadRequest. id is set as
// soon as it can be read, so that even an error answer repeats it.
Request ParseRequest(std::string_view line, Json& id);

// The text field name of the request; fallback when it is missing (or
// BadRequest when there is none). A text holding a NUL character is
// refused: the module would see it cut short.
std::string TextField(const Request& request, const char* name,
                      std::optional<std::string> fallback = std::nullopt);

// A group or member number: decimal digits, given as a text or as a JSON
// integer that is not negative.
std::string NumberField(const Request& request, const char* name);

// A whole amount of money, within what a ledger takes.
std::int64_t AmountField(const Request& request, const char* name);

// The answer lines (without their line end).
std::string OkAnswer(const Json& id, Json fields = Json::object());
std::string ErrorAnswer(const Json& id, std::string_view reason);

}  // namespace zorvane_host
