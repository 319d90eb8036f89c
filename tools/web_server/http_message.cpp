#include "http_message.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace web_server {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SplitsTheHead(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view HeaderList::Find(std::string_view name) const {
  for (const Field& field : fields_) {
    if (SameName(Text(field.nameAt, field.nameSize), name)) {
      return Text(field.valueAt, field.valueSize);
    }
  }
  return {};
}

bool HeaderList::Has(std::string_view name) const {
  return std::any_of(fields_.begin(), fields_.end(), [&](const Field& field) {
    return SameName(Text(field.nameAt, field.nameSize), name);
  });
}

bool HeaderList::Add(std::string_view name, std::string_view value) {
  if (name.empty() || SplitsTheHead(name) || SplitsTheHead(value)) {
    return false;
  }
  const auto at = static_cast<std::uint32_t>(bytes_.size());
  bytes_.append(name).append(value);
  fields_.push_back({at, static_cast<std::uint32_t>(name.size()),
                     static_cast<std::uint32_t>(at + name.size()),
                     static_cast<std::uint32_t>(value.size())});
  return true;
}

void HeaderList::Remove(std::string_view name) {
  // The bytes stay until Clear: fields are few and removing them rare.
  std::erase_if(fields_, [&](const Field& field) {
    return SameName(Text(field.nameAt, field.nameSize), name);
  });
}

void HeaderList::Clear() {
  bytes_.clear();
  fields_.clear();
}

std::pair<std::string_view, std::string_view> HeaderList::operator[](std::size_t i) const {
  const Field& field = fields_[i];
  return {Text(field.nameAt, field.nameSize), Text(field.valueAt, field.valueSize)};
}

std::string_view Request::Query() const {
  const std::size_t mark = target.find('?');
  return mark == std::string::npos ? std::string_view() : std::string_view(target).substr(mark + 1);
}

void Request::Clear() {
  method.clear();
  target.clear();
  path.clear();
  version = 11;
  headers.Clear();
  body.clear();
}

void Response::SetContent(std::string_view content, std::string_view contentType) {
  body.assign(content);
  SetHeader("Content-Type", contentType);
}

void Response::SetHeader(std::string_view name, std::string_view value) {
  if (!name.empty() && !SplitsTheHead(name) && !SplitsTheHead(value)) {
    headers.Remove(name);
    headers.Add(name, value);
  }
}

void Response::Clear() {
  status = 200;
  headers.Clear();
  body.clear();
}

namespace {

void AppendEscapedForLog(std::string& escaped, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (byte < 0x20 || byte == 0x7F || c1) {
      char hex[5];
      std::snprintf(hex, sizeof(hex), "\\x%02X", c1 ? static_cast<unsigned char>(text[++i]) : byte);
      escaped += hex;
    } else if (byte == '\\') {
      escaped += "\\\\";
    } else {
      escaped += text[i];
    }
  }
}

}  // namespace

std::string EscapeForLog(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  AppendEscapedForLog(escaped, text);
  return escaped;
}

void AppendLogLine(std::string& out, const Request& request, const Response& response) {
  AppendEscapedForLog(out, request.method);
  out += ' ';
  AppendEscapedForLog(out, request.path);
  out += ' ';
  char status[16];
  out.append(status, std::to_chars(status, status + sizeof(status), response.status).ptr);
}

std::string LogLine(const Request& request, const Response& response) {
  std::string line;
  AppendLogLine(line, request, response);
  return line;
}

}  // namespace web_server
