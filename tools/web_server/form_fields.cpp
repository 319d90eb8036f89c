#include "form_fields.h"

#include <algorithm>
#include <utility>

namespace web_server {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Splits "type; a=1; b=\"x;y\"" at the semicolons outside quotes: calls
// visit with each piece, trimmed, the first being the type.
template <typename Visit>
void ForEachParameter(std::string_view header, Visit visit) {
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= header.size(); ++i) {
    if (i < header.size() && header[i] == '"') {
      quoted = !quoted;
    } else if (i < header.size() && header[i] == '\\' && quoted) {
      ++i;
    } else if (i == header.size() || (header[i] == ';' && !quoted)) {
      visit(Trim(header.substr(start, i - start)));
      start = i + 1;
    }
  }
}

// The value of the parameter called name ("a=1", "a=\"1\""), unquoted.
std::optional<std::string> Parameter(std::string_view header, std::string_view name) {
  std::optional<std::string> found;
  bool first = true;
  ForEachParameter(header, [&](std::string_view piece) {
    const std::size_t equals = piece.find('=');
    if (std::exchange(first, false) || found || equals == std::string_view::npos ||
        !SameName(Trim(piece.substr(0, equals)), name)) {
      return;
    }
    std::string_view value = Trim(piece.substr(equals + 1));
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
      found = std::string(value);
      return;
    }
    value = value.substr(1, value.size() - 2);
    std::string unquoted;
    for (std::size_t i = 0; i < value.size(); ++i) {
      unquoted += value[i] == '\\' && i + 1 < value.size() ? value[++i] : value[i];
    }
    found = std::move(unquoted);
  });
  return found;
}

std::string_view MediaType(std::string_view contentType) {
  return Trim(contentType.substr(0, contentType.find(';')));
}

// Fills part from its head ("Content-Disposition: ...\r\nContent-Type: ...").
bool ReadPartHead(std::string_view head, FormPart& part) {
  bool named = false;
  for (std::size_t start = 0; start < head.size();) {
    std::size_t end = head.find("\r\n", start);
    end = end == std::string_view::npos ? head.size() : end;
    const std::string_view line = head.substr(start, end - start);
    start = end + 2;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      return false;
    }
    const std::string_view field = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (SameName(field, "Content-Disposition")) {
      std::optional<std::string> name = Parameter(value, "name");
      named = name.has_value();
      part.name = name.value_or("");
      part.filename = Parameter(value, "filename");
    } else if (SameName(field, "Content-Type")) {
      part.contentType = value;
    }
  }
  return named;
}

}  // namespace

void PercentDecodeInto(std::string_view text, bool plusIsSpace, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += plusIsSpace && text[i] == '+' ? ' ' : text[i];
    }
  }
}

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
  std::string decoded;
  PercentDecodeInto(text, plusIsSpace, decoded);
  return decoded;
}

std::optional<std::string> EncodedValue(std::string_view encoded, std::string_view name) {
  while (!encoded.empty()) {
    const std::size_t amp = encoded.find('&');
    const std::string_view pair = encoded.substr(0, amp);
    encoded = amp == std::string_view::npos ? std::string_view() : encoded.substr(amp + 1);
    const std::size_t equals = pair.find('=');
    if (PercentDecode(pair.substr(0, equals), true) == name) {
      return equals == std::string_view::npos ? std::string()
                                              : PercentDecode(pair.substr(equals + 1), true);
    }
  }
  return std::nullopt;
}

std::optional<std::string> QueryValue(const Request& request, std::string_view name) {
  return EncodedValue(request.Query(), name);
}

std::optional<FormPart> MultipartPart(std::string_view contentType, std::string_view body,
                                      std::string_view name) {
  const std::optional<std::string> boundary = Parameter(contentType, "boundary");
  if (!SameName(MediaType(contentType), "multipart/form-data") || !boundary || boundary->empty()) {
    return std::nullopt;
  }
  // The first delimiter opens the body or a line; the others follow a line
  // break, and the last one ends in "--".
  const std::string delimiter = "--" + *boundary;
  const std::string separator = "\r\n" + delimiter;
  const bool opens = body.starts_with(delimiter);
  std::size_t at = opens ? delimiter.size() : body.find(separator);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  at += opens ? 0 : separator.size();
  while (true) {
    if (body.substr(at, 2) == "--") {
      return std::nullopt;  // the closing delimiter: no part of that name
    }
    // Anything up to the end of the delimiter's line is padding.
    const std::size_t lineEnd = body.find("\r\n", at);
    const std::size_t next =
        lineEnd == std::string_view::npos ? lineEnd : body.find(separator, lineEnd + 2);
    if (next == std::string_view::npos) {
      return std::nullopt;  // a part without an end: cut short
    }
    const std::string_view part = body.substr(lineEnd + 2, next - lineEnd - 2);
    const std::size_t headEnd = part.starts_with("\r\n") ? 0 : part.find("\r\n\r\n");
    FormPart parsed;
    if (headEnd == std::string_view::npos || !ReadPartHead(part.substr(0, headEnd), parsed)) {
      return std::nullopt;
    }
    if (parsed.name == name) {
      parsed.content = part.substr(headEnd + (headEnd == 0 ? 2 : 4));
      return parsed;
    }
    at = next + separator.size();
  }
}

std::optional<std::string> FormValue(const Request& request, std::string_view name) {
  const std::string_view contentType = request.headers.Find("Content-Type");
  if (SameName(MediaType(contentType), "application/x-www-form-urlencoded")) {
    return EncodedValue(request.body, name);
  }
  std::optional<FormPart> part = MultipartPart(contentType, request.body, name);
  return part ? std::optional<std::string>(std::move(part->content)) : std::nullopt;
}

std::optional<FormPart> FormFile(const Request& request, std::string_view name) {
  std::optional<FormPart> part =
      MultipartPart(request.headers.Find("Content-Type"), request.body, name);
  return part && part->filename ? part : std::nullopt;
}

}  // namespace web_server
