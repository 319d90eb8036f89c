// The console's login and logout.
#include "console/console_router.h"
#include "console/pages/console_pages.h"

namespace riddle_site {
namespace {

using httplib::Request;
using httplib::Response;

void LoginForm(ConsoleAuth& auth, Response& response) {
  if (auth.mode() == ConsoleMode::Off) {
    SendPage(response, ConsoleOffPage(), 403);
  } else if (auth.mode() == ConsoleMode::Open) {
    Redirect(response, "/console/");
  } else {
    SendPage(response, LoginPage(std::nullopt));
  }
}

void Login(ConsoleAuth& auth, const Request& request, Response& response) {
  if (request.body.size() > ConsoleBodyLimit) {
    SendPage(response, LoginPage("请求太大。"), 413);
    return;
  }
  if (auth.mode() != ConsoleMode::Password) {
    Redirect(response, "/console/");
    return;
  }
  switch (auth.TryLogin(request.remote_addr, Field(request, "password"))) {
    case LoginResult::Accepted:
      response.set_header("Set-Cookie", ConsoleAuth::CookieFor(auth.StartSession()));
      Redirect(response, "/console/");
      return;
    case LoginResult::Refused:
      SendPage(response, LoginPage("密码不对。"), 403);
      return;
    case LoginResult::TooManyTries:
      SendPage(response, LoginPage("失败次数太多，请过十分钟再试。"), 429);
      return;
  }
}

}  // namespace

void AddLoginRoutes(const ConsoleRouter& router) {
  ConsoleAuth& auth = router.console.auth;
  // Before any session: these pass no checks but their own.
  router.server.Get("/console/login",
                    [&auth](const Request&, Response& response) { LoginForm(auth, response); });
  router.server.Post("/console/login", [&auth](const Request& request, Response& response) {
    Login(auth, request, response);
  });
  router.Change("/console/logout", [&auth](const Request&, Response& response,
                                           const ConsoleSession& session) {
    auth.EndSession(session.id);
    response.set_header("Set-Cookie", ConsoleAuth::ExpiredCookie());
    Redirect(response, auth.mode() == ConsoleMode::Password ? "/console/login" : "/console/");
  });
}

}  // namespace riddle_site
