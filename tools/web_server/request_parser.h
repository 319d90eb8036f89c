// Parses a request straight into a Request, whose strings keep their memory
// from one request of a connection to the next. Beast's parser checks the
// syntax and frames the body; this one refuses methods no one defined and
// more header lines than allowed.
#pragma once

#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "form_fields.h"
#include "http_message.h"

namespace web_server {

inline std::string_view View(boost::beast::string_view text) {
  return {text.data(), text.size()};
}

class RequestParser final : public boost::beast::http::basic_parser<true> {
  using Text = boost::beast::string_view;
  using Error = boost::system::error_code;
  using HttpError = boost::beast::http::error;

 public:
  RequestParser(Request& request, std::size_t maxHeaderLines)
      : request_(request), maxHeaderLines_(maxHeaderLines) {}

 private:
  void on_request_impl(boost::beast::http::verb verb, Text method, Text target, int version,
                       Error& error) override {
    // A method no one defined is a broken request line, not a request.
    if (verb == boost::beast::http::verb::unknown) {
      error = HttpError::bad_method;
      return;
    }
    request_.method.assign(View(method));
    request_.target.assign(View(target));
    request_.version = version;
    std::string_view path = View(target);
    if (const std::size_t scheme = path.find("://");
        scheme != std::string_view::npos && scheme < path.find('/')) {
      // The absolute form "http://host/path" names the path after the host.
      path.remove_prefix(std::min(path.size(), path.find('/', scheme + 3)));
    }
    PercentDecodeInto(path.substr(0, path.find('?')), false, request_.path);
  }

  void on_response_impl(int, Text, int, Error&) override {}

  void on_field_impl(boost::beast::http::field, Text name, Text value, Error& error) override {
    if (request_.headers.size() >= maxHeaderLines_) {
      error = HttpError::header_limit;
      return;
    }
    request_.headers.Add(View(name), View(value));
  }

  void on_header_impl(Error&) override {}

  void on_body_init_impl(const boost::optional<std::uint64_t>& length, Error&) override {
    if (length) {
      request_.body.reserve(static_cast<std::size_t>(*length));
    }
  }

  std::size_t on_body_impl(Text body, Error&) override {
    request_.body.append(body.data(), body.size());
    return body.size();
  }

  void on_chunk_header_impl(std::uint64_t, Text, Error&) override {}

  std::size_t on_chunk_body_impl(std::uint64_t, Text body, Error&) override {
    request_.body.append(body.data(), body.size());
    return body.size();
  }

  void on_finish_impl(Error&) override {}

  Request& request_;
  const std::size_t maxHeaderLines_;
};

}  // namespace web_server
