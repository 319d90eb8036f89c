#include "console/console_router.h"

#include <charconv>
#include <utility>

#include "console/pages/console_html.h"
#include "console/pages/console_pages.h"

namespace riddle_site {
namespace {

using httplib::Request;
using httplib::Response;

constexpr char Utf8Html[] = "text/html; charset=utf-8";

// Whether the Host header names this machine: an open console answers no
// page that a web site could reach under a name of its own.
bool HostIsLoopback(const Request& request) {
  std::string host = request.get_header_value("Host");
  if (host.starts_with('[')) {
    host = host.substr(1, host.find(']') - 1);
  } else {
    host = host.substr(0, host.find(':'));
  }
  return IsLoopbackAddress(host);
}

// The session of an open console's request: the browser's own, or a new
// one. Forms still need a session's token, so that another site cannot post
// to the console through the operator's browser.
std::optional<ConsoleSession> AdmitToOpenConsole(ConsoleAuth& auth, const Request& request,
                                                 Response& response) {
  if (!HostIsLoopback(request)) {
    SendPage(response,
             ConsolePage(ConsoleSection::Login, "控制台未开启",
                         ProblemBox("没有密码的控制台只在本机地址下开放，"
                                    "请用 http://127.0.0.1 或 http://localhost 打开。"),
                         ""),
             403);
    return std::nullopt;
  }
  if (auto session = auth.SessionOf(request.get_header_value("Cookie"))) {
    return session;
  }
  ConsoleSession session = auth.StartSession();
  response.set_header("Set-Cookie", ConsoleAuth::CookieFor(session));
  return session;
}

// The session of the request, or nullopt once the response says why not.
std::optional<ConsoleSession> Admit(ConsoleAuth& auth, const Request& request, Response& response) {
  switch (auth.mode()) {
    case ConsoleMode::Off:
      SendPage(response, ConsoleOffPage(), 403);
      return std::nullopt;
    case ConsoleMode::Open:
      return AdmitToOpenConsole(auth, request, response);
    case ConsoleMode::Password:
      if (auto session = auth.SessionOf(request.get_header_value("Cookie"))) {
        return session;
      }
      if (request.method == "GET") {
        Redirect(response, "/console/login");
      } else {
        SendPage(response, LoginPage("请先登录。"), 403);
      }
      return std::nullopt;
  }
  return std::nullopt;
}

// The handler behind the checks that every console request passes.
httplib::Server::Handler Guarded(Console& console, PageHandler handler, bool changes) {
  return [&console, handler = std::move(handler), changes](const Request& request,
                                                           Response& response) {
    if (request.body.size() > ConsoleBodyLimit) {
      SendPage(
          response,
          ConsolePage(ConsoleSection::Login, "请求太大", ProblemBox("上传的内容超过 4 MiB。"), ""),
          413);
      return;
    }
    const std::optional<ConsoleSession> session = Admit(console.auth, request, response);
    if (!session) {
      return;
    }
    if (changes && !SameSecret(Field(request, "csrf"), session->csrf)) {
      SendPage(response,
               ConsolePage(ConsoleSection::Login, "表单已失效",
                           ProblemBox("表单已失效或不是本控制台发出的，没有做任何改动。请回到"
                                      "控制台重新操作。"),
                           ""),
               403);
      return;
    }
    handler(request, response, *session);
  };
}

}  // namespace

void ConsoleRouter::Show(const std::string& path, PageHandler handler) const {
  server.Get(path, Guarded(console, std::move(handler), false));
}

void ConsoleRouter::Change(const std::string& path, PageHandler handler) const {
  server.Post(path, Guarded(console, std::move(handler), true));
}

void SendPage(Response& response, const std::string& page, int status) {
  response.status = status;
  // Nothing on a console page may come from elsewhere, run a script or be
  // framed by another site.
  response.set_header("Content-Security-Policy",
                      "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'; "
                      "form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
  response.set_header("X-Content-Type-Options", "nosniff");
  response.set_header("Referrer-Policy", "no-referrer");
  response.set_header("Cache-Control", "no-store");
  response.set_content(page, Utf8Html);
}

void Redirect(Response& response, const std::string& to) {
  response.status = 303;
  response.set_header("Location", to);
}

void SendNotFound(Response& response, const ConsoleSession& session) {
  SendPage(response,
           ConsolePage(ConsoleSection::Home, "找不到",
                       ProblemBox("控制台没有这个页面，或要找的谜语、群不存在。"), session.csrf),
           404);
}

std::string Field(const Request& request, const std::string& name) {
  if (request.has_param(name.c_str())) {
    return request.get_param_value(name.c_str());
  }
  if (request.has_file(name)) {
    return request.get_file_value(name).content;
  }
  return "";
}

std::optional<int> NumberField(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace riddle_site
