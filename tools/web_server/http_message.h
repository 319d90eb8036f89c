// The requests and responses the server hands to its owner. Their strings
// keep their capacity between the requests of a connection, so that serving
// a kept-alive client allocates nothing once it is warm.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace web_server {

// Header fields in the order they came, names compared without case. All
// names and values live in one string, so that clearing keeps the memory.
class HeaderList {
 public:
  // The value of the first field called name, or "" when there is none.
  std::string_view Find(std::string_view name) const;
  bool Has(std::string_view name) const;

  // A name or value with a line break or NUL would split the head it is
  // written into, so such a field is not added (false).
  bool Add(std::string_view name, std::string_view value);
  // Removes every field called name.
  void Remove(std::string_view name);
  void Clear();

  std::size_t size() const { return fields_.size(); }
  std::pair<std::string_view, std::string_view> operator[](std::size_t i) const;

 private:
  struct Field {
    std::uint32_t nameAt, nameSize, valueAt, valueSize;
  };
  std::string_view Text(std::uint32_t at, std::uint32_t size) const {
    return std::string_view(bytes_).substr(at, size);
  }

  std::string bytes_;
  std::vector<Field> fields_;
};

struct Request {
  std::string method;  // as sent: "GET", "POST", ...
  std::string target;  // as sent: the path with its query
  std::string path;    // the target's path, percent-decoded ("+" stays)
  int version = 11;    // 10 for HTTP/1.0, 11 for HTTP/1.1
  HeaderList headers;
  std::string body;
  std::string remoteAddress;  // the client's IP address, e.g. "127.0.0.1"
  int remotePort = 0;

  // What follows the "?" of the target, or "".
  std::string_view Query() const;
  // Forgets the request but keeps the memory (not the client's address).
  void Clear();
};

struct Response {
  int status = 200;
  // The server writes Content-Length and Connection itself; those set here
  // are not sent.
  HeaderList headers;
  std::string body;

  void SetContent(std::string_view content, std::string_view contentType);
  // Replaces the fields called name, unless HeaderList::Add refuses the
  // field.
  void SetHeader(std::string_view name, std::string_view value);
  void Clear();
};

// Whether a and b are the same name, ASCII letters compared without case.
bool SameName(std::string_view a, std::string_view b);

// text with control bytes (C0, DEL and UTF-8's C1) as \xNN and "\" as "\\",
// so that a request can neither forge a log line nor drive a terminal.
std::string EscapeForLog(std::string_view text);

// "METHOD PATH STATUS", escaped: one line of the server's log.
std::string LogLine(const Request& request, const Response& response);
// The same appended to out, which may keep its memory from line to line.
void AppendLogLine(std::string& out, const Request& request, const Response& response);

}  // namespace web_server
