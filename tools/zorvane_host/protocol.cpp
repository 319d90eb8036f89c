#include "protocol.h"

#include <utility>

namespace zorvane_host {
namespace {

// Longer numbers cannot be group or member numbers of any chat platform,
// and keep file names short.
constexpr std::size_t MaxNumberDigits = 20;
// Amounts beyond this lose whole units in the ledger's double.
constexpr std::int64_t MaxAmount = 1'000'000'000'000;

const Json& Field(const Request& request, const char* name) {
  static const Json missing;
  const auto found = request.body.find(name);
  return found == request.body.end() ? missing : *found;
}

bool IsDigits(std::string_view text) {
  return !text.empty() && text.size() <= MaxNumberDigits &&
         text.find_first_not_of("0123456789") == text.npos;
}

}  // namespace

Request ParseRequest(std::string_view line, Json& id) {
  id = nullptr;
  Json body = Json::parse(line, nullptr, false);
  if (body.is_discarded()) {
    throw BadRequest{"the line is not JSON"};
  }
  if (!body.is_object()) {
    throw BadRequest{"the line is not a JSON object"};
  }
  if (const auto found = body.find("id"); found != body.end()) {
    id = *found;
  } else {
    throw BadRequest{"the request has no id"};
  }
  const auto op = body.find("op");
  if (op == body.end() || !op->is_string()) {
    throw BadRequest{"the request has no op"};
  }
  return Request{id, op->get<std::string>(), std::move(body)};
}

std::string TextField(const Request& request, const char* name,
                      std::optional<std::string> fallback) {
  const Json& value = Field(request, name);
  if (value.is_null()) {
    if (fallback) {
      return *std::move(fallback);
    }
    throw BadRequest{std::string(name) + " is missing"};
  }
  if (!value.is_string()) {
    throw BadRequest{std::string(name) + " is not a text"};
  }
  std::string text = value.get<std::string>();
  if (text.find('\0') != text.npos) {
    throw BadRequest{std::string(name) + " holds a NUL character"};
  }
  return text;
}

std::string NumberField(const Request& request, const char* name) {
  const Json& value = Field(request, name);
  std::string text;
  if (value.is_number_unsigned()) {
    text = std::to_string(value.get<std::uint64_t>());
  } else if (value.is_string()) {
    text = value.get<std::string>();
  } else {
    throw BadRequest{std::string(name) + (value.is_null() ? " is missing" : " is not a number")};
  }
  if (!IsDigits(text)) {
    throw BadRequest{std::string(name) + " is not a number of at most 20 digits"};
  }
  return text;
}

std::int64_t AmountField(const Request& request, const char* name) {
  const Json& value = Field(request, name);
  if (!value.is_number_integer()) {
    throw BadRequest{std::string(name) +
                     (value.is_null() ? " is missing" : " is not a whole number")};
  }
  const bool tooLarge = value.is_number_unsigned()
                            ? value.get<std::uint64_t>() > std::uint64_t(MaxAmount)
                            : value.get<std::int64_t>() < -MaxAmount;
  if (tooLarge) {
    throw BadRequest{std::string(name) + " is beyond what a ledger keeps"};
  }
  return value.get<std::int64_t>();
}

std::string OkAnswer(const Json& id, Json fields) {
  Json answer = Json::object();
  answer["id"] = id;
  answer["ok"] = true;
  answer.update(fields);
  // Texts come from GBK, converted with "?" for what cannot be: every text is
  // valid UTF-8 already. Replacing guards the line anyway.
  return answer.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string ErrorAnswer(const Json& id, std::string_view reason) {
  Json answer = {{"id", id}, {"ok", false}, {"error", reason}};
  return answer.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace zorvane_host
