#include "console/console_router.h"

#include <charconv>
#include <utility>

#include "console/access/request_origin.h"
#include "console/pages/console_html.h"
#include "console/pages/console_pages.h"
#include "form_fields.h"

namespace riddle_site {
namespace {

using web_server::Request;
using web_server::Response;

constexpr char Utf8Html[] = "text/html; charset=utf-8";

// The session of an open console's request: the browser's own, or, for a
// page shown, a new one. Forms still need a session's token, so that
// another site cannot post to the console through the operator's browser.
std::optional<ConsoleSession> AdmitToOpenConsole(ConsoleAuth& auth, const Request& request,
                                                 Response& response) {
  if (!NamesThisMachine(request)) {
    SendPage(response,
             ConsolePage(ConsoleSection::Login, "控制台未开启",
                         ProblemBox("没有密码的控制台只在本机地址下开放，"
                                    "请用 http://127.0.0.1 或 http://localhost 打开。"),
                         ""),
             403);
    return std::nullopt;
  }
  if (auto session = auth.SessionOf(request.headers.Find("Cookie"))) {
    return session;
  }
  if (request.method == "POST") {
    return ConsoleSession{};  // no token to match: the form is refused
  }
  ConsoleSession session = ConsoleAuth::OpenSession();
  response.headers.Add("Set-Cookie", ConsoleAuth::CookieFor(session));
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
      if (auto session = auth.SessionOf(request.headers.Find("Cookie"))) {
        return session;
      }
      if (request.method == "POST") {
        SendLoginPage(request, response, "请先登录。", 403);
      } else {
        Redirect(response, "/console/login");
      }
      return std::nullopt;
  }
  return std::nullopt;
}

// The handler behind the checks that every console request passes.
web_server::Handler Guarded(Console& console, PageHandler handler, bool changes) {
  return [&console, handler = std::move(handler), changes](const Request& request,
                                                           Response& response) {
    if (changes && !SentFromTheConsole(request)) {
      SendForeignForm(response);
      return;
    }
    const std::optional<ConsoleSession> session = Admit(console.auth, request, response);
    if (!session) {
      return;
    }
    if (changes && (session->csrf.empty() || !SameSecret(Field(request, "csrf"), session->csrf))) {
      SendForeignForm(response);
      return;
    }
    handler(request, response, *session);
  };
}

}  // namespace

void ConsoleRouter::Show(const std::string& path, PageHandler handler) const {
  router.Get(path, Guarded(console, std::move(handler), false));
}

void ConsoleRouter::ShowBelow(const std::string& prefix, PageHandler handler) const {
  router.Prefix("GET", prefix, Guarded(console, std::move(handler), false));
}

void ConsoleRouter::Change(const std::string& path, PageHandler handler) const {
  router.Post(path, Guarded(console, std::move(handler), true), web_server::Runs::OnWorkers);
}

void SendPage(Response& response, const std::string& page, int status) {
  response.status = status;
  response.SetContent(page, Utf8Html);
  // Nothing on a console page may come from elsewhere, run a script or be
  // framed by another site. Its forms name their origin (which a referrer
  // policy of "no-referrer" would hide), and other sites learn nothing.
  response.SetHeader("Content-Security-Policy",
                     "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'; "
                     "form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
  response.SetHeader("X-Content-Type-Options", "nosniff");
  response.SetHeader("Referrer-Policy", "same-origin");
  response.SetHeader("Cache-Control", "no-store");
}

void Redirect(Response& response, const std::string& to) {
  response.status = 303;
  response.SetHeader("Location", to);
}

void SendNotFound(Response& response, const ConsoleSession& session) {
  SendPage(response,
           ConsolePage(ConsoleSection::Home, "找不到",
                       ProblemBox("控制台没有这个页面，或要找的谜语、群不存在。"), session.csrf),
           404);
}

void SendForeignForm(Response& response) {
  SendPage(response,
           ConsolePage(ConsoleSection::Login, "表单已失效",
                       ProblemBox("表单已失效或不是本控制台发出的，没有做任何改动。请回到"
                                  "控制台重新操作。"),
                       ""),
           403);
}

std::string Field(const Request& request, std::string_view name) {
  return web_server::FormValue(request, name).value_or("");
}

std::string Query(const Request& request, std::string_view name) {
  return web_server::QueryValue(request, name).value_or("");
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
