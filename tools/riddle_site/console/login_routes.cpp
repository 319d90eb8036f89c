// The console's login and logout. The login form carries a token of its
// own, the value of a cookie that the form's page gives the browser, and
// must come from the console's own page, so that no other site can log the
// operator's browser in or spend its tries.
#include "console/access/request_origin.h"
#include "console/console_router.h"
#include "console/pages/console_pages.h"

namespace riddle_site {
namespace {

using web_server::Request;
using web_server::Response;

void LoginForm(ConsoleAuth& auth, const Request& request, Response& response) {
  if (auth.mode() == ConsoleMode::Off) {
    SendPage(response, ConsoleOffPage(), 403);
  } else if (auth.mode() == ConsoleMode::Open) {
    Redirect(response, "/console/");
  } else {
    SendLoginPage(request, response, std::nullopt);
  }
}

void Login(ConsoleAuth& auth, const Request& request, Response& response) {
  if (auth.mode() != ConsoleMode::Password) {
    Redirect(response, "/console/");
    return;
  }
  const std::optional<std::string> token = ConsoleAuth::LoginToken(request.headers.Find("Cookie"));
  if (!SentFromTheConsole(request) || !token || !SameSecret(Field(request, "csrf"), *token)) {
    SendLoginPage(request, response, "登录表单已失效或不是本控制台发出的，请重新输入密码。", 403);
    return;
  }
  std::optional<ConsoleSession> session;
  int waitSeconds = 0;
  switch (auth.TryLogin(request.remoteAddress, Field(request, "password"), session, waitSeconds)) {
    case LoginResult::Accepted:
      response.headers.Add("Set-Cookie", ConsoleAuth::CookieFor(*session));
      Redirect(response, "/console/");
      return;
    case LoginResult::Refused:
      SendLoginPage(request, response, "密码不对。", 403);
      return;
    case LoginResult::TooSoon:
      SendLoginPage(request, response,
                    "密码错了好几次，请等 " + std::to_string(waitSeconds) + " 秒再试。", 429);
      return;
  }
}

}  // namespace

void SendLoginPage(const Request& request, Response& response,
                   const std::optional<std::string>& problem, int status) {
  std::optional<std::string> token = ConsoleAuth::LoginToken(request.headers.Find("Cookie"));
  if (!token) {
    token = ConsoleAuth::NewToken();
    response.headers.Add("Set-Cookie", ConsoleAuth::LoginCookie(*token));
  }
  SendPage(response, LoginPage(problem, *token), status);
}

void AddLoginRoutes(const ConsoleRouter& areas) {
  ConsoleAuth& auth = areas.console.auth;
  // Before any session: these pass no checks but their own.
  areas.router.Get("/console/login", [&auth](const Request& request, Response& response) {
    LoginForm(auth, request, response);
  });
  areas.router.Post(
      "/console/login",
      [&auth](const Request& request, Response& response) { Login(auth, request, response); },
      web_server::Runs::OnWorkers);
  areas.Change("/console/logout", [&auth](const Request&, Response& response,
                                          const ConsoleSession& session) {
    auth.EndSession(session.id);
    response.headers.Add("Set-Cookie", ConsoleAuth::ExpiredCookie());
    Redirect(response, auth.mode() == ConsoleMode::Password ? "/console/login" : "/console/");
  });
}

}  // namespace riddle_site
