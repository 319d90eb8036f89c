// The named values a request carries: in the query of its target, in a
// urlencoded form body, or in the parts of a multipart form (file uploads).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http_message.h"

namespace web_server {

// %XX as the byte it names, and "+" as a space when plusIsSpace (forms and
// queries, not paths). A "%" without two hex digits stays as it is.
std::string PercentDecode(std::string_view text, bool plusIsSpace);
// The same into out, reusing its memory.
void PercentDecodeInto(std::string_view text, bool plusIsSpace, std::string& out);

// The first value called name in "a=1&b=2" (urlencoded), or nullopt.
std::optional<std::string> EncodedValue(std::string_view encoded, std::string_view name);

// The first value called name in the query of the request's target.
std::optional<std::string> QueryValue(const Request& request, std::string_view name);

// One part of a multipart/form-data body.
struct FormPart {
  std::string name;
  std::optional<std::string> filename;  // set for a file
  std::string contentType;              // "" when the part names none
  std::string content;
};

// The part called name of a multipart/form-data body, or nullopt when there
// is none or the body is not well formed.
std::optional<FormPart> MultipartPart(std::string_view contentType, std::string_view body,
                                      std::string_view name);

// The form field called name of a POST: from a urlencoded body, or the
// content of a multipart part (a file's included), by the Content-Type.
std::optional<std::string> FormValue(const Request& request, std::string_view name);

// The uploaded file called name of a multipart POST, or nullopt.
std::optional<FormPart> FormFile(const Request& request, std::string_view name);

}  // namespace web_server
